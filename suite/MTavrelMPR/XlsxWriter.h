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

// A block of cells: a bold title row and the rows under it, its top left cell at
// (row, column), counted from 0.
struct XlsxTable
{
    QList<XlsxColumn> columns;
    QList<QVariantList> rows;
    int row = 0;
    int column = 0;
};

// A column chart drawn from a table of the same sheet: the table's first column names
// the categories and every further column is a series, named by its title cell. The
// chart's top left corner is at the cell (row, column). A table without rows gets no
// chart, there being nothing to draw.
struct XlsxBarChart
{
    QString title;
    QString categoryAxis;
    QString valueAxis;
    QString valueFormat; // of the value axis' labels
    int table = 0; // index in the sheet's tables
    int row = 0;
    int column = 0;
};

struct XlsxSheet
{
    QString name; // see XlsxWriter::sheetName
    QList<XlsxTable> tables;
    QList<XlsxBarChart> charts;
    bool freezeTitles = false; // keeps the rows above the first table's rows in view
};

// Writes sheets of an Excel workbook: titles bold, numbers as number cells, date-times
// as date cells, null values as empty cells. The file is replaced only when the whole
// workbook was written.
class MTAVRELMPR_EXPORT XlsxWriter
{
public:
    void addSheet(const XlsxSheet& sheet) { m_sheets.append(sheet); }
    // Throws ModuleError naming the file when it cannot be written.
    void save(const QString& path) const;

    // One sheet holding the rows under the titles of the columns, kept in view.
    static void write(const QString& path, const QString& sheetName,
                      const QList<XlsxColumn>& columns, const QList<QVariantList>& rows);

    // The Excel spelling of a Qt date-time format: "dd/MM/yyyy HH:mm" gives
    // "dd/mm/yyyy hh:mm".
    static QString excelDateFormat(const QString& qtFormat);
    // A name Excel takes for a sheet: at most 31 characters, none of []:*?/\ .
    static QString sheetName(const QString& title);

private:
    QList<XlsxSheet> m_sheets;
};

} // namespace tavrel
