#include "CausedValuePreview.h"

#include "CausedPreviewCall.h"
#include "Database.h"
#include "ModuleError.h"
#include "PacketBuilder.h"

namespace tavrel {

namespace {

// The update's correlated sum, against the relation row R.
QString correlatedSum(const QString& column, const QString& period)
{
    return QStringLiteral("(SELECT SUM(%1) FROM NM_NCMOV "
                          "WHERE NM_NCMOV.COD_EMPR = R.COD_EMPR AND "
                          "NM_NCMOV.COD_CCOS = R.COD_CCOS AND "
                          "NM_NCMOV.COD_CONT = R.COD_CONT AND "
                          "NM_NCMOV.COD_CUEN = R.COD_CUEN AND %2 "
                          "AND NM_NCMOV.NAT_TRAN = 'D')")
        .arg(column, period);
}

} // namespace

QString CausedValuePreview::flagDigiDian(Database& db, int company)
{
    QVariant country;
    db.readOnly(QStringLiteral("SELECT PAI_EMPR FROM GN_EMPRE WHERE COD_EMPR = :P_COD_EMPR"),
                {company}, [&country](QSqlQuery& query) {
                    if (query.next())
                        country = query.value(0);
                });
    QString flag = QStringLiteral("N");
    db.readOnly(QStringLiteral("SELECT VAL_VARI, TIP_DATO FROM GN_DIGIF "
                               "WHERE (COD_VARI = :PCODVARI) "
                               "AND (PAI_VARI = :PCODPAIS OR PAI_VARI = 0) "
                               "AND (EXISTS (SELECT DISTINCT 1 FROM GN_EMPRE "
                               "WHERE COD_EMPR = :PCODEMPR AND EMP_VARI = COD_DIFL) "
                               "OR (EMP_VARI = 0))"),
                {QStringLiteral("V0000017"), country.isNull() ? 0 : country.toInt(), company},
                [&flag](QSqlQuery& query) {
                    if (query.next())
                        flag = query.value(0).toString().trimmed();
                });
    return flag;
}

CausedValuePreview::Result CausedValuePreview::compute(Database& db, int company, int year,
                                                       const QDateTime& clientTime)
{
    Result result;
    result.period = CausedPeriod::choose(db, year);
    QString sum;
    if (result.period.path == CausedPeriod::Path::Year) {
        result.summedColumn = flagDigiDian(db, company) == QLatin1String("S")
                                  ? QStringLiteral("VAL_TRAN")
                                  : QStringLiteral("VAL_CAUC");
        // The clean-up after the yearly update turns every empty value into 0.
        sum = QStringLiteral("COALESCE(%1, 0.0)")
                  .arg(correlatedSum(result.summedColumn,
                                     QStringLiteral("NM_NCMOV.FEC_PROC BETWEEN :INICIO AND :FIN")));
    } else {
        result.period.findAccountingDate(db, clientTime);
        result.summedColumn = QStringLiteral("VAL_CAUC");
        sum = correlatedSum(result.summedColumn, QStringLiteral("NM_NCMOV.FEC_PROC = :INICIO"));
    }
    const QString sql = QStringLiteral("SELECT R.*, %1 VAL_CAUS_NUEVO FROM NM_RPCOS R "
                                       "ORDER BY R.COD_EMPR, R.COD_CONT, R.COD_CUEN, R.COD_CCOS, "
                                       "R.TVL_ROWID")
                            .arg(sum);
    QVariantList values{result.period.start};
    if (result.period.path == CausedPeriod::Path::Year)
        values.append(result.period.end);
    db.readOnly(sql, values, [&](QSqlQuery& query) {
        const DataPacket packet = PacketBuilder::build(query, db.dialect());
        for (const ColumnInfo& c : packet.columns)
            result.rows.columns.append(c.name);
        result.rows.rows = packet.rows;
    });
    return result;
}

QVariant CausedValuePreview::invoke(Database& db, QVariantList& args)
{
    const CausedPreviewRequest request = CausedPreviewCall::decodeRequest(args);
    const Result result =
        compute(db, request.company, request.year,
                request.clientTime.isValid() ? request.clientTime : QDateTime::currentDateTime());
    return CausedPreviewCall::encodeReply({result.period.path == CausedPeriod::Path::Year,
                                           result.period.start, result.period.end,
                                           result.summedColumn, result.rows},
                                          args);
}

} // namespace tavrel
