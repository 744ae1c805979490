#include "ExecutionTotals.h"

#include "IAppServer.h"
#include "XlsxWriter.h"

namespace tavrel {

namespace {

QList<ExecutionTotals::Group> sums(IAppServer& server, int company, const char* column)
{
    const DataPacket packet = server.open(
        QStringLiteral("DtsPTemporal"),
        QStringLiteral("SELECT %1, SUM(VAL_TOTA) VAL_TOTA, SUM(VAL_CAUS) VAL_CAUS FROM NM_RPCOS "
                       "WHERE COD_EMPR = :P_COD_EMPR GROUP BY %1 ORDER BY %1")
            .arg(QLatin1String(column)),
        {{QStringLiteral("P_COD_EMPR"), company, FieldType::SmallInt}});
    QList<ExecutionTotals::Group> groups;
    for (const QVariantList& row : packet.rows) {
        ExecutionTotals::Group g;
        g.code = isNull(row.value(0)) ? QString() : row.value(0).toString();
        g.total = row.value(1).toDouble();
        g.caused = row.value(2).toDouble();
        groups.append(g);
    }
    return groups;
}

XlsxTable table(const QString& codeTitle, const QList<ExecutionTotals::Group>& groups, int row)
{
    const auto money = [](const QString& title) {
        return XlsxColumn{title, XlsxColumn::Kind::Number, QStringLiteral("#,##0.00"), 18};
    };
    XlsxTable t;
    t.columns = {{codeTitle, XlsxColumn::Kind::Text, {}, 24},
                 money(QStringLiteral("Valor total")),
                 money(QStringLiteral("Valor causado"))};
    for (const ExecutionTotals::Group& g : groups)
        t.rows.append(QVariantList{g.label(), g.total, g.caused});
    t.row = row;
    return t;
}

} // namespace

QString ExecutionTotals::Group::label() const
{
    // PostgreSQL pads CHAR codes.
    return code.trimmed().isEmpty() ? QStringLiteral("(sin código)") : code.trimmed();
}

ExecutionTotals ExecutionTotals::fetch(IAppServer& server, int company)
{
    ExecutionTotals t;
    t.company = company;
    t.byResource = sums(server, company, "COD_PRES");
    t.bySource = sums(server, company, "COD_FUEN");
    return t;
}

XlsxSheet ExecutionTotals::sheet() const
{
    const QString resource = QStringLiteral("Recurso presupuestal");
    const QString source = QStringLiteral("Fuente de financiación");
    XlsxSheet s;
    s.name = QStringLiteral("Ejecución");
    s.tables = {table(resource, byResource, 0),
                table(source, bySource, int(byResource.size()) + 3)};
    // The charts stand right of the tables, one under the other: a chart is 15 rows high.
    const QString pesos = QStringLiteral("Pesos");
    const QString format = QStringLiteral("#,##0");
    s.charts = {{QStringLiteral("Por recurso presupuestal"), resource, pesos, format, 0, 0, 4},
                {QStringLiteral("Por fuente de financiación"), source, pesos, format, 1, 16, 4}};
    return s;
}

} // namespace tavrel
