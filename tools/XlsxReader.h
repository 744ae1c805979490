#pragma once

#include <QList>
#include <QString>
#include <QVariantList>

namespace tavrel {

// The cells of the first sheet of an Excel workbook (.xlsx), as numbers and texts. The
// first sheet is the workbook's first, found through its relationships; shared strings,
// inline strings, formulas' cached values and booleans are read; dates stay the serial
// numbers Excel stores. A file that is not such a workbook, or is damaged, is refused
// with a ModuleError that says so.
class XlsxReader
{
public:
    struct Row
    {
        int number = 0;     // as the sheet numbers it, from 1
        QVariantList cells; // from column A: double, QString or null for an empty cell
    };
    struct Sheet
    {
        QString name;
        QList<Row> rows; // rows without any cell are left out
    };

    static Sheet firstSheet(const QString& path);
};

} // namespace tavrel
