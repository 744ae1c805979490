#include "ExecutionTotals.h"

#include "IAppServer.h"

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

} // namespace

ExecutionTotals ExecutionTotals::fetch(IAppServer& server, int company)
{
    ExecutionTotals t;
    t.company = company;
    t.byResource = sums(server, company, "COD_PRES");
    t.bySource = sums(server, company, "COD_FUEN");
    return t;
}

} // namespace tavrel
