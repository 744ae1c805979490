#include "YearArchiveReport.h"

#include "FieldType.h"
#include "IAppServer.h"
#include "ModuleError.h"
#include "XlsxWriter.h"

#include <QJsonArray>

namespace tavrel {

namespace {

struct Column
{
    const char* name;
    const char* title;
    XlsxColumn::Kind kind;
    const char* format;
    double width;
};

const Column kColumns[] = {
    {"COD_EMPR", "Empresa", XlsxColumn::Kind::Number, "0", 9},
    {"COD_CONT", "Contabilización", XlsxColumn::Kind::Number, "0", 14},
    {"COD_CUEN", "Cuenta", XlsxColumn::Kind::Text, "", 18},
    {"COD_CCOS", "Campo relacionado", XlsxColumn::Kind::Number, "0", 12},
    {"COD_FUEN", "Fuente", XlsxColumn::Kind::Text, "", 8},
    {"COD_PRES", "Recurso", XlsxColumn::Kind::Number, "0", 9},
    {"COD_SITU", "Situación", XlsxColumn::Kind::Text, "", 9},
    {"DEP_APAC", "Dependencia PAC", XlsxColumn::Kind::Text, "", 18},
    {"VAL_TOTA", "Valor total", XlsxColumn::Kind::Number, "#,##0.00", 16},
    {"VAL_CAUS", "Valor causado", XlsxColumn::Kind::Number, "#,##0.00", 16},
    {"VAL_SALD", "Saldo", XlsxColumn::Kind::Number, "#,##0.00", 16},
    {"ACT_USUA", "Usuario", XlsxColumn::Kind::Text, "", 10},
    {"ACT_HORA", "Actualizado", XlsxColumn::Kind::Date, "dd/mm/yyyy hh:mm", 17},
    {"ACT_ESTA", "Estado", XlsxColumn::Kind::Text, "", 7},
};

} // namespace

YearArchiveReport YearArchiveReport::fetch(IAppServer& server, int company, int year)
{
    YearArchiveReport report;
    static_cast<ArchiveReadReply&>(report) = ArchiveReadCall::call(server, {company, year});
    report.company = company;
    report.year = year;
    for (const Column& c : kColumns) {
        if (report.rows.columnIndex(QLatin1String(c.name)) < 0)
            throw ModuleError(QStringLiteral("A la respuesta del servidor le falta la columna %1")
                                  .arg(QLatin1String(c.name)),
                              ModuleError::Kind::Conversion);
    }
    return report;
}

QJsonObject YearArchiveReport::toJson() const
{
    QJsonArray list;
    for (int r = 0; r < rows.rows.size(); ++r) {
        QJsonObject o;
        for (const Column& c : kColumns) {
            const QVariant v = rows.value(r, QLatin1String(c.name));
            if (isNull(v))
                o[QLatin1String(c.name)] = QJsonValue::Null;
            else if (v.typeId() == QMetaType::QDateTime)
                o[QLatin1String(c.name)] =
                    v.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
            else if (v.typeId() == QMetaType::QString)
                o[QLatin1String(c.name)] = v.toString().trimmed();
            else
                o[QLatin1String(c.name)] = QJsonValue::fromVariant(v);
        }
        list.append(o);
    }
    return {{QStringLiteral("empresa"), company},
            {QStringLiteral("vigencia"), year},
            {QStringLiteral("usuario"), user},
            {QStringLiteral("fecha"), when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))},
            {QStringLiteral("filas"), list}};
}

void YearArchiveReport::writeXlsx(const QString& path) const
{
    QList<XlsxColumn> columns;
    for (const Column& c : kColumns)
        columns.append({QString::fromUtf8(c.title), c.kind, QLatin1String(c.format), c.width});
    QList<QVariantList> sheet;
    for (int r = 0; r < rows.rows.size(); ++r) {
        QVariantList line;
        for (const Column& c : kColumns)
            line.append(rows.value(r, QLatin1String(c.name)));
        sheet.append(line);
    }
    XlsxWriter::write(path, QStringLiteral("Vigencia %1").arg(year), columns, sheet);
}

} // namespace tavrel
