#include "XlsxWriter.h"

#include "ModuleError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <xlsxwriter.h>

#include <algorithm>

namespace tavrel {

namespace {

lxw_datetime toExcel(const QDateTime& value)
{
    const QDate d = value.date();
    const QTime t = value.time();
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second() + t.msec() / 1000.0};
}

ModuleError failure(const QString& path, const QString& reason)
{
    return ModuleError(QStringLiteral("No se pudo escribir el archivo «%1»: %2").arg(path, reason));
}

// Writes the titles and the rows of `table`; `widths` keeps the widest setting per
// sheet column, tables sharing columns.
void writeTable(lxw_workbook* book, lxw_worksheet* sheet, const XlsxTable& table,
                lxw_format* bold, QHash<int, double>& widths)
{
    const QList<XlsxColumn>& columns = table.columns;
    QList<lxw_format*> formats;
    for (int c = 0; c < columns.size(); ++c) {
        const XlsxColumn& column = columns[c];
        // A date cell without a format would show Excel's serial number.
        const QString pattern = column.kind == XlsxColumn::Kind::Date && column.format.isEmpty()
                                    ? QStringLiteral("dd/mm/yyyy")
                                    : column.format;
        lxw_format* format = nullptr;
        if (column.kind != XlsxColumn::Kind::Text && !pattern.isEmpty()) {
            format = workbook_add_format(book);
            format_set_num_format(format, pattern.toUtf8().constData());
        }
        formats.append(format);
        const int at = table.column + c;
        widths[at] = std::max(widths.value(at), column.width);
        worksheet_write_string(sheet, lxw_row_t(table.row), lxw_col_t(at),
                               column.title.toUtf8().constData(), bold);
    }
    for (int r = 0; r < table.rows.size(); ++r) {
        const auto row = lxw_row_t(table.row + 1 + r);
        for (int c = 0; c < columns.size() && c < table.rows[r].size(); ++c) {
            const QVariant& value = table.rows[r][c];
            if (value.isNull() ||
                (value.typeId() == QMetaType::QString && value.toString().isEmpty()))
                continue;
            const auto col = lxw_col_t(table.column + c);
            switch (columns[c].kind) {
            case XlsxColumn::Kind::Number:
                worksheet_write_number(sheet, row, col, value.toDouble(), formats[c]);
                break;
            case XlsxColumn::Kind::Date: {
                lxw_datetime when = toExcel(value.toDateTime());
                worksheet_write_datetime(sheet, row, col, &when, formats[c]);
                break;
            }
            case XlsxColumn::Kind::Text:
                worksheet_write_string(sheet, row, col, value.toString().toUtf8().constData(),
                                       nullptr);
                break;
            }
        }
    }
}

void insertChart(lxw_workbook* book, lxw_worksheet* sheet, const QByteArray& sheetName,
                 const XlsxTable& table, const XlsxBarChart& wanted)
{
    if (table.rows.isEmpty() || table.columns.size() < 2)
        return;
    lxw_chart* chart = workbook_add_chart(book, LXW_CHART_COLUMN);
    chart_title_set_name(chart, wanted.title.toUtf8().constData());
    const auto first = lxw_row_t(table.row + 1);
    const auto last = lxw_row_t(table.row + table.rows.size());
    const auto categories = lxw_col_t(table.column);
    for (int c = 1; c < table.columns.size(); ++c) {
        const auto values = lxw_col_t(table.column + c);
        lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
        chart_series_set_categories(series, sheetName.constData(), first, categories, last,
                                    categories);
        chart_series_set_values(series, sheetName.constData(), first, values, last, values);
        chart_series_set_name_range(series, sheetName.constData(), lxw_row_t(table.row), values);
    }
    chart_axis_set_name(chart->x_axis, wanted.categoryAxis.toUtf8().constData());
    chart_axis_set_name(chart->y_axis, wanted.valueAxis.toUtf8().constData());
    if (!wanted.valueFormat.isEmpty())
        chart_axis_set_num_format(chart->y_axis, wanted.valueFormat.toUtf8().constData());
    chart_legend_set_position(chart, LXW_CHART_LEGEND_BOTTOM);
    worksheet_insert_chart(sheet, lxw_row_t(wanted.row), lxw_col_t(wanted.column), chart);
}

} // namespace

void XlsxWriter::save(const QString& path) const
{
    // Excel refuses a workbook with two sheets of one name, whatever their case.
    QStringList names;
    for (const XlsxSheet& s : m_sheets) {
        const QString name = sheetName(s.name);
        if (!name.isEmpty() && names.contains(name, Qt::CaseInsensitive))
            throw failure(path, QStringLiteral("hay dos hojas llamadas «%1»").arg(name));
        names.append(name);
    }
    // The workbook goes to a file of its own beside the target, renamed when complete.
    const QFileInfo target(path);
    QTemporaryFile partial(
        target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    if (!partial.open())
        throw failure(path, partial.errorString());
    partial.close();

    const QByteArray file = QFile::encodeName(partial.fileName());
    lxw_workbook* book = workbook_new(file.constData());
    if (!book)
        throw failure(path, QStringLiteral("no se pudo crear el libro"));
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    for (qsizetype i = 0; i < m_sheets.size(); ++i) {
        const XlsxSheet& s = m_sheets[i];
        const QByteArray name = names[i].toUtf8();
        lxw_worksheet* sheet =
            workbook_add_worksheet(book, name.isEmpty() ? nullptr : name.constData());
        QHash<int, double> widths;
        for (const XlsxTable& table : s.tables)
            writeTable(book, sheet, table, bold, widths);
        for (auto it = widths.cbegin(); it != widths.cend(); ++it)
            worksheet_set_column(sheet, lxw_col_t(it.key()), lxw_col_t(it.key()), it.value(),
                                 nullptr);
        if (s.freezeTitles && !s.tables.isEmpty())
            worksheet_freeze_panes(sheet, lxw_row_t(s.tables.first().row + 1), 0);
        for (const XlsxBarChart& chart : s.charts) {
            if (chart.table >= 0 && chart.table < s.tables.size())
                insertChart(book, sheet, QByteArray(sheet->name), s.tables[chart.table], chart);
        }
    }
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR)
        throw failure(path, QString::fromUtf8(lxw_strerror(closed)));
    // The temporary file is private to its owner; the workbook gets the permissions of the
    // file it replaces, or those of a new document.
    const QFile::Permissions permissions =
        target.exists() ? QFile::permissions(path)
                        : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                              QFile::ReadOther;
    partial.setPermissions(permissions);
    // rename() replaces the old file in one step: a failure leaves it as it was.
    if (std::rename(file.constData(), QFile::encodeName(path).constData()) != 0)
        throw failure(path, QStringLiteral("no se pudo dar el nombre final al archivo: %1")
                                .arg(QString::fromLocal8Bit(std::strerror(errno))));
    partial.setAutoRemove(false);
}

void XlsxWriter::write(const QString& path, const QString& sheetName,
                       const QList<XlsxColumn>& columns, const QList<QVariantList>& rows)
{
    XlsxSheet sheet;
    sheet.name = sheetName;
    sheet.tables.append(XlsxTable{.columns = columns, .rows = rows});
    sheet.freezeTitles = true;
    XlsxWriter book;
    book.addSheet(sheet);
    book.save(path);
}

QString XlsxWriter::excelDateFormat(const QString& qtFormat)
{
    QString excel;
    for (qsizetype i = 0; i < qtFormat.size(); ++i) {
        const QChar ch = qtFormat[i];
        if (ch == u'M')
            excel += u'm'; // months; Excel tells them from minutes by the context
        else if (ch == u'H')
            excel += u'h';
        else if (ch == u'z')
            excel += u'0';
        else if (ch == u'A' || ch == u'a') {
            excel += QStringLiteral("AM/PM");
            if (i + 1 < qtFormat.size() && (qtFormat[i + 1] == u'P' || qtFormat[i + 1] == u'p'))
                ++i;
        } else
            excel += ch;
    }
    return excel;
}

QString XlsxWriter::sheetName(const QString& title)
{
    QString name = title.trimmed();
    for (const QChar forbidden : QStringLiteral("[]:*?/\\"))
        name.replace(forbidden, u' ');
    return name.left(31).trimmed();
}

} // namespace tavrel
