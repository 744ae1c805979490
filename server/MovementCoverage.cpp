#include "MovementCoverage.h"

#include "Database.h"
#include "ModuleError.h"
#include "MovementCoverageCall.h"
#include "PacketBuilder.h"

namespace tavrel {

MovementCoverage::Result MovementCoverage::compute(Database& db, int year)
{
    Result result;
    result.period = CausedPeriod::choose(db, year);
    if (result.period.path != CausedPeriod::Path::Year)
        throw ModuleError(QStringLiteral("FEC_RPCO no indica un año; indique el año de los "
                                         "movimientos que se revisan."),
                          ModuleError::Kind::Refusal);
    const QString sql = QStringLiteral(
        "SELECT M.COD_EMPR, M.COD_CCOS, M.COD_CONT, M.COD_CUEN, COUNT(*) MOVIMIENTOS, "
        "SUM(M.VAL_CAUC) VAL_CAUC, SUM(M.VAL_TRAN) VAL_TRAN FROM NM_NCMOV M "
        "WHERE M.NAT_TRAN = 'D' AND M.FEC_PROC BETWEEN :INICIO AND :FIN "
        "AND NOT EXISTS (SELECT 1 FROM NM_RPCOS R WHERE R.COD_EMPR = M.COD_EMPR AND "
        "R.COD_CCOS = M.COD_CCOS AND R.COD_CONT = M.COD_CONT AND R.COD_CUEN = M.COD_CUEN) "
        "GROUP BY M.COD_EMPR, M.COD_CCOS, M.COD_CONT, M.COD_CUEN "
        "ORDER BY M.COD_EMPR, M.COD_CONT, M.COD_CUEN, M.COD_CCOS");
    db.readOnly(sql, {result.period.start, result.period.end}, [&](QSqlQuery& query) {
        const DataPacket packet = PacketBuilder::build(query, db.dialect());
        for (const ColumnInfo& c : packet.columns)
            result.groups.columns.append(c.name);
        result.groups.rows = packet.rows;
    });
    return result;
}

QVariant MovementCoverage::invoke(Database& db, QVariantList& args)
{
    const Result result = compute(db, MovementCoverageCall::decodeRequest(args).year);
    return MovementCoverageCall::encodeReply(
        {result.period.start, result.period.end, result.groups}, args);
}

} // namespace tavrel
