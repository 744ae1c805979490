#include "XlsxWriter.h"

#include "ModuleError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <xlsxwriter.h>

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

} // namespace

void XlsxWriter::write(const QString& path, const QString& sheetName,
                       const QList<XlsxColumn>& columns, const QList<QVariantList>& rows)
{
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
    const QByteArray name = XlsxWriter::sheetName(sheetName).toUtf8();
    lxw_worksheet* sheet =
        workbook_add_worksheet(book, name.isEmpty() ? nullptr : name.constData());
    lxw_format* title = workbook_add_format(book);
    format_set_bold(title);
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
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), column.width, nullptr);
        worksheet_write_string(sheet, 0, lxw_col_t(c), column.title.toUtf8().constData(), title);
    }
    worksheet_freeze_panes(sheet, 1, 0);

    for (int r = 0; r < rows.size(); ++r) {
        const auto row = lxw_row_t(r + 1);
        for (int c = 0; c < columns.size() && c < rows[r].size(); ++c) {
            const QVariant& value = rows[r][c];
            if (value.isNull() ||
                (value.typeId() == QMetaType::QString && value.toString().isEmpty()))
                continue;
            const auto col = lxw_col_t(c);
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
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR)
        throw failure(path, QString::fromUtf8(lxw_strerror(closed)));
    if (QFile::exists(path) && !QFile::remove(path))
        throw failure(path, QStringLiteral("no se pudo reemplazar el archivo existente"));
    if (!QFile::rename(partial.fileName(), path))
        throw failure(path, QStringLiteral("no se pudo dar el nombre final al archivo"));
    partial.setAutoRemove(false);
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
