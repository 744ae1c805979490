#include "CoverageReport.h"

#include "FieldType.h"
#include "IAppServer.h"
#include "MovementCoverageCall.h"
#include "XlsxWriter.h"

#include <QJsonObject>

namespace tavrel {

CoverageReport CoverageReport::fetch(IAppServer& server, int year)
{
    CoverageReport report;
    static_cast<MovementCoverageReply&>(report) = MovementCoverageCall::call(server, {year});
    return report;
}

CoverageReport::Total CoverageReport::total() const
{
    Total t;
    for (int r = 0; r < groups.rows.size(); ++r) {
        ++t.groups;
        t.movements += groups.value(r, QStringLiteral("MOVIMIENTOS")).toLongLong();
        t.caused += groups.value(r, QStringLiteral("VAL_CAUC")).toDouble();
        t.transaction += groups.value(r, QStringLiteral("VAL_TRAN")).toDouble();
    }
    return t;
}

QJsonArray CoverageReport::toJson() const
{
    QJsonArray array;
    for (int r = 0; r < groups.rows.size(); ++r) {
        QJsonObject o;
        for (const QString& column : MovementCoverageCall::columns()) {
            const QVariant v = groups.value(r, column);
            const QString key =
                column == QLatin1String("MOVIMIENTOS") ? QStringLiteral("movimientos") : column;
            o[key] = isNull(v) ? QJsonValue(QJsonValue::Null) : QJsonValue::fromVariant(v);
        }
        array.append(o);
    }
    return array;
}

void CoverageReport::writeXlsx(const QString& path) const
{
    using K = XlsxColumn::Kind;
    const QString money = QStringLiteral("#,##0.00");
    const QList<XlsxColumn> columns = {
        {QStringLiteral("Empresa"), K::Number, QStringLiteral("0"), 9},
        {QStringLiteral("Código relacionado"), K::Number, QStringLiteral("0"), 12},
        {QStringLiteral("Concepto"), K::Number, QStringLiteral("0"), 10},
        {QStringLiteral("Cuenta"), K::Text, QString(), 18},
        {QStringLiteral("Movimientos"), K::Number, QStringLiteral("#,##0"), 12},
        {QStringLiteral("Suma VAL_CAUC"), K::Number, money, 16},
        {QStringLiteral("Suma VAL_TRAN"), K::Number, money, 16},
    };
    QList<QVariantList> sheet;
    for (int r = 0; r < groups.rows.size(); ++r) {
        QVariantList line;
        for (const QString& column : MovementCoverageCall::columns())
            line.append(groups.value(r, column));
        sheet.append(line);
    }
    const Total t = total();
    sheet.append({QVariant(), QVariant(), QVariant(), QStringLiteral("Total general"), t.movements,
                  t.caused, t.transaction});
    XlsxWriter::write(path, QStringLiteral("Movimientos sin relación %1").arg(year()), columns,
                      sheet);
}

} // namespace tavrel
