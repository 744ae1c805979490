#include "MonthlyCaused.h"

#include "CausedPeriod.h"
#include "CausedValuePreview.h"
#include "CausedValueStatements.h"
#include "Database.h"
#include "FieldType.h"
#include "ModuleError.h"
#include "PacketBuilder.h"

#include <QHash>

namespace tavrel {

namespace {

// A relation row's keys, as the movements match them.
QString keyOf(const QVariant& company, const QVariant& payrollConcept, const QVariant& account,
              const QVariant& related)
{
    return QStringLiteral("%1|%2|%3|%4")
        .arg(company.toString(), payrollConcept.toString(), account.toString().trimmed(),
             isNull(related) ? QStringLiteral("-") : related.toString());
}

} // namespace

MonthlyCausedReply MonthlyCaused::compute(Database& db, const MonthlyCausedRequest& request)
{
    const CausedPeriod period = CausedPeriod::choose(db, request.year);
    if (period.path != CausedPeriod::Path::Year)
        throw ModuleError(QStringLiteral("FEC_RPCO no indica un año; indique el año del causado "
                                         "por mes."),
                          ModuleError::Kind::Refusal);
    const bool transactions = CausedValueStatements::sumsTransactions(
        CausedValuePreview::flagDigiDian(db, request.company));
    MonthlyCausedReply reply{
        period.start, period.end, CausedValueStatements::summedColumn(transactions), {}};
    QHash<QString, QList<double>> months;
    db.readOnly(
        CausedValueStatements::monthlyYearSums(
            transactions, db.dialect().monthOf(QStringLiteral("NM_NCMOV.FEC_PROC"))),
        {period.start, period.end, request.company}, [&months](QSqlQuery& query) {
            while (query.next()) {
                const int month = query.value(4).toInt();
                QList<double>& row =
                    months[keyOf(query.value(0), query.value(1), query.value(2), query.value(3))];
                if (row.isEmpty())
                    row.resize(12, 0.0);
                if (month >= 1 && month <= 12)
                    row[month - 1] += query.value(5).toDouble();
            }
        });
    db.readOnly(QStringLiteral("SELECT COD_EMPR, COD_CONT, COD_CUEN, COD_CCOS, COD_FUEN, "
                               "COD_PRES, COD_SITU, DEP_APAC FROM NM_RPCOS WHERE COD_EMPR = :E "
                               "ORDER BY COD_CONT, COD_CUEN, COD_CCOS, TVL_ROWID"),
                {request.company}, [&](QSqlQuery& query) {
                    const DataPacket packet = PacketBuilder::build(query, db.dialect());
                    for (const ColumnInfo& c : packet.columns)
                        reply.rows.columns.append(c.name);
                    for (int m = 1; m <= 12; ++m)
                        reply.rows.columns.append(QStringLiteral("M%1").arg(m, 2, 10, QChar(u'0')));
                    for (const QVariantList& row : packet.rows) {
                        QVariantList line = row;
                        const QList<double> sums =
                            months.value(keyOf(row[0], row[1], row[2], row[3]));
                        for (int m = 0; m < 12; ++m)
                            line.append(sums.isEmpty() ? 0.0 : sums[m]);
                        reply.rows.rows.append(line);
                    }
                });
    return reply;
}

QVariant MonthlyCaused::invoke(Database& db, QVariantList& args)
{
    const MonthlyCausedReply reply = compute(db, MonthlyCausedCall::decodeRequest(args));
    return MonthlyCausedCall::encodeReply(reply, args);
}

} // namespace tavrel
