#pragma once

#include "MTavrelMPRExport.h"

#include <QList>
#include <QString>
#include <QVariantList>

namespace tavrel {

// One column of a sheet: its title, how its cells are written and, for numbers and
// dates, the Excel number format ("#,##0.00", "dd/mm/yyyy").
struct XlsxColumn
{
    enum class Kind
    {
        Text,
        Number,
        Date
    };
    QString title;
    Kind kind = Kind::Text;
    QString format;
    double width = 12; // characters
};

// Writes rows as one sheet of an Excel workbook: a bold title row kept in view, numbers
// as number cells, date-times as date cells, null values as empty cells. The file is
// replaced only when the workbook was written completely.
class MTAVRELMPR_EXPORT XlsxWriter
{
public:
    // Throws ModuleError naming the file when it cannot be written.
    static void write(const QString& path, const QString& sheetName,
                      const QList<XlsxColumn>& columns, const QList<QVariantList>& rows);

    // The Excel spelling of a Qt date-time format: "dd/MM/yyyy HH:mm" gives
    // "dd/mm/yyyy hh:mm".
    static QString excelDateFormat(const QString& qtFormat);
    // A name Excel takes for a sheet: at most 31 characters, none of []:*?/\ .
    static QString sheetName(const QString& title);
};

} // namespace tavrel
