#include "CausedValuePreview.h"

#include "CausedPreviewCall.h"
#include "CountryFlags.h"
#include "Database.h"
#include "FieldType.h"
#include "ModuleError.h"
#include "PacketBuilder.h"

#include <QHash>

namespace tavrel {

QString CausedValuePreview::flagDigiDian(Database& db, int company)
{
    QVariant country;
    db.readOnly(QStringLiteral("SELECT PAI_EMPR FROM GN_EMPRE WHERE COD_EMPR = :P_COD_EMPR"),
                {company}, [&country](QSqlQuery& query) {
                    if (query.next())
                        country = query.value(0);
                });
    QVariant first;
    db.readOnly(CountryFlags::query().join(QLatin1Char('\n')),
                {CountryFlags::digiDian(), isNull(country) ? 0 : country.toInt(), company},
                [&first](QSqlQuery& query) {
                    if (query.next())
                        first = query.value(0).toString();
                });
    return CountryFlags::value(first);
}

CausedValuePreview::Result CausedValuePreview::compute(Database& db, int company, int year,
                                                       const QDateTime& clientTime)
{
    using Statements = CausedValueStatements;
    Result result;
    result.period = CausedPeriod::choose(db, year);
    // The module's own statements for the period, as it would send them. The audit user
    // is left empty: nothing they write outlives the preview.
    QList<QVariantList> statements;
    if (result.period.path == CausedPeriod::Path::Year) {
        const bool transactions = Statements::sumsTransactions(flagDigiDian(db, company));
        result.summedColumn = Statements::summedColumn(transactions);
        statements = {{Statements::yearUpdate(transactions, QString()), result.period.start,
                       result.period.end, clientTime},
                      {Statements::cleanUp()}};
    } else {
        result.period.findAccountingDate(db, clientTime);
        result.summedColumn = Statements::summedColumn(false);
        statements = {{Statements::dateUpdate(result.period.texts, QString()), result.period.start,
                       clientTime}};
    }
    const QString rows = QStringLiteral("SELECT %1 FROM NM_RPCOS ORDER BY COD_EMPR, COD_CONT, "
                                        "COD_CUEN, COD_CCOS, TVL_ROWID");
    // The statements run in a transaction that is rolled back: the rows are read before
    // and after them and nobody else ever sees what they wrote. They take turns with the
    // bulk writes as the update does, so that a preview and an update never cross their
    // row locks.
    const QString serialize = db.dialect().serializeBulkWritesStatement();
    db.trial(
        [&] {
            if (!serialize.isEmpty())
                db.exec(serialize, {});
            DataPacket before;
            db.readOnly(rows.arg(QStringLiteral("*")), {}, [&](QSqlQuery& query) {
                before = PacketBuilder::build(query, db.dialect());
            });
            for (const QVariantList& statement : statements)
                db.exec(statement.first().toString(), statement.mid(1));
            // The packets carry the technical key apart from the columns.
            QHash<qint64, QVariant> written;
            db.readOnly(rows.arg(QStringLiteral("TVL_ROWID, VAL_CAUS")), {}, [&](QSqlQuery& query) {
                const DataPacket after = PacketBuilder::build(query, db.dialect());
                for (qsizetype i = 0; i < after.rows.size(); ++i)
                    written.insert(after.rowKeys.value(i, -1), after.rows[i].value(0));
            });
            result.rows = ResultTable();
            for (const ColumnInfo& c : before.columns)
                result.rows.columns.append(c.name);
            result.rows.columns.append(QStringLiteral("VAL_CAUS_NUEVO"));
            for (qsizetype i = 0; i < before.rows.size(); ++i)
                result.rows.rows.append(before.rows[i] +
                                        QVariantList{written.value(before.rowKeys.value(i, -1))});
        },
        Database::conflictAttempts);
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
