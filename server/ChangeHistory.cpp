#include "ChangeHistory.h"

#include "CausedValueStatements.h"
#include "Database.h"
#include "FieldType.h"
#include "ModuleError.h"
#include "RowHistoryCall.h"
#include "SchemaCatalog.h"
#include "StatementShares.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <algorithm>

namespace tavrel {

namespace {

const QString Relation = QStringLiteral("NM_RPCOS");

// A stored value as the history shows it: text trimmed of its padding, date-times in
// ISO form (with milliseconds when they have any, so that a stamp rewritten within the
// same second still shows as changed), numbers as numbers.
QJsonValue shown(const QVariant& value)
{
    if (isNull(value))
        return QJsonValue::Null;
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return value.toDateTime().toString(value.toDateTime().time().msec() != 0
                                               ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")
                                               : QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    case QMetaType::Double:
    case QMetaType::Float:
        return value.toDouble();
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::LongLong:
    case QMetaType::UInt:
        return value.toLongLong();
    default:
        return value.toString().trimmed();
    }
}

QVariant stored(const TableDef& table, const QString& column, const QVariant& value)
{
    const ColumnDef* def = table.column(column);
    return def && !isNull(value) ? coerce(value, def->type) : value;
}

QVariant serverTime(Database& db)
{
    return coerce(db.queryValue(db.dialect().currentTimestampQuery()), FieldType::DateTime);
}

QString auditUser(const DeltaRow& row)
{
    const QVariant user = row.values.value(QStringLiteral("ACT_USUA"),
                                           row.original.value(QStringLiteral("ACT_USUA")));
    return isNull(user) ? QString() : user.toString().trimmed();
}

struct RowKeys
{
    QVariant company;
    QVariant payrollConcept;
    QVariant account;
    QVariant related;
};

void insertEntry(Database& db, const QString& user, const QString& operation, const QVariant& key,
                 const RowKeys& keys, int rows, const QString& details)
{
    db.exec(QStringLiteral("INSERT INTO %1 (FEC_HIST, USU_HIST, OPE_HIST, LLA_HIST, EMP_HIST, "
                           "CON_HIST, CUE_HIST, CCO_HIST, FIL_HIST, DET_HIST) VALUES (:F, :U, "
                           ":O, :L, :E, :C, :A, :R, :N, :D)")
                .arg(ChangeHistory::tableName()),
            {serverTime(db), user.left(20), operation, key, keys.company, keys.payrollConcept,
             keys.account, keys.related, rows, details});
}

// The values of the row's company and keys: from the values written, the original ones
// for a delete, and from the table for a modified row whose keys did not change.
RowKeys keysOf(Database& db, const DeltaRow& row, qint64 key)
{
    RowKeys keys;
    if (row.kind == DeltaRow::Kind::Modify) {
        db.readOnly(QStringLiteral("SELECT COD_EMPR, COD_CONT, COD_CUEN, COD_CCOS FROM NM_RPCOS "
                                   "WHERE TVL_ROWID = :K"),
                    {key}, [&keys](QSqlQuery& q) {
                        if (q.next())
                            keys = {q.value(0), q.value(1), q.value(2), q.value(3)};
                    });
    } else {
        const QVariantMap& v = row.kind == DeltaRow::Kind::Insert ? row.values : row.original;
        keys = {v.value(QStringLiteral("COD_EMPR")), v.value(QStringLiteral("COD_CONT")),
                v.value(QStringLiteral("COD_CUEN")), v.value(QStringLiteral("COD_CCOS"))};
    }
    for (QVariant* v : {&keys.company, &keys.payrollConcept, &keys.related})
        *v = isNull(*v) ? QVariant() : QVariant(v->toInt());
    keys.account = isNull(keys.account) ? QVariant() : QVariant(keys.account.toString().trimmed());
    return keys;
}

// An entry as the desks read it: the stored details as typed values.
QVariant detailValue(const QJsonValue& value)
{
    return value.isNull() || value.isUndefined() ? QVariant() : value.toVariant();
}

RowHistoryEntry replyEntry(const HistoryEntry& e)
{
    RowHistoryEntry entry{e.when, e.user, e.operation, e.rowKey, e.rows, {}, QString(), -1};
    const QJsonDocument details = QJsonDocument::fromJson(e.details.toUtf8());
    for (const QJsonValue& change : details.array())
        entry.changes.append({change[QStringLiteral("columna")].toString(),
                              detailValue(change[QStringLiteral("antes")]),
                              detailValue(change[QStringLiteral("despues")])});
    const QJsonObject statement = details.object();
    entry.statement = statement.value(QStringLiteral("sentencia")).toString();
    entry.emptiedToZero = statement.value(QStringLiteral("vacios_a_cero")).toInt(-1);
    return entry;
}

} // namespace

bool ChangeHistory::tracks(const TableDef& table)
{
    return table.name == Relation;
}

void ChangeHistory::recordRow(Database& db, const TableDef& table, const DeltaRow& row, qint64 key,
                              const QString& user)
{
    QJsonArray changes;
    const auto change = [&](const QString& column, const QVariant& before, const QVariant& after) {
        if (!table.column(column))
            return; // calculated or joined columns of the packet
        const QJsonValue old = shown(stored(table, column, before));
        const QJsonValue now = shown(stored(table, column, after));
        if (row.kind == DeltaRow::Kind::Modify && old == now)
            return;
        changes.append(QJsonObject{{QStringLiteral("columna"), column.toUpper()},
                                   {QStringLiteral("antes"), old},
                                   {QStringLiteral("despues"), now}});
    };
    QString operation;
    switch (row.kind) {
    case DeltaRow::Kind::Insert:
        operation = QStringLiteral("A");
        for (auto it = row.values.constBegin(); it != row.values.constEnd(); ++it)
            change(it.key(), QVariant(), it.value());
        break;
    case DeltaRow::Kind::Modify:
        operation = QStringLiteral("M");
        for (auto it = row.values.constBegin(); it != row.values.constEnd(); ++it)
            change(it.key(), row.original.value(it.key()), it.value());
        break;
    case DeltaRow::Kind::Delete:
        operation = QStringLiteral("B");
        for (auto it = row.original.constBegin(); it != row.original.constEnd(); ++it)
            change(it.key(), it.value(), QVariant());
        break;
    }
    insertEntry(db, user.isEmpty() ? auditUser(row) : user, operation, key, keysOf(db, row, key), 1,
                QString::fromUtf8(QJsonDocument(changes).toJson(QJsonDocument::Compact)));
}

void ChangeHistory::recordStatement(Database& db, const QString& sql, int rows, const QString& user,
                                    const QJsonObject& shares)
{
    static const QRegularExpression writes(
        QStringLiteral("^(UPDATE|INSERT INTO|DELETE FROM) NM_RPCOS\\b"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression audit(QStringLiteral(",\\s*ACT_USUA\\s*=\\s*'((?:[^']|'')*)'"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QString text = CausedValueStatements::normalised(sql);
    if (!writes.match(text).hasMatch())
        return;
    QString who = user;
    if (who.isEmpty())
        who = audit.match(text).captured(1).replace(QStringLiteral("''"), QStringLiteral("'"));
    using Kind = CausedValueStatements::Recognised::Kind;
    const auto kindOf = [](const QString& statement) {
        const std::optional<CausedValueStatements::Recognised> r =
            CausedValueStatements::recognise(statement);
        return r ? std::optional<Kind>(r->kind) : std::nullopt;
    };
    const std::optional<Kind> kind = kindOf(text);
    if (kind == Kind::CleanUp) {
        // The caused-value update just before, when it is the last entry and the same user's.
        QVariant last;
        QString details;
        db.readOnly(QStringLiteral("SELECT TVL_ROWID, OPE_HIST, USU_HIST, DET_HIST FROM %1 "
                                   "WHERE TVL_ROWID = (SELECT MAX(TVL_ROWID) FROM %1)")
                        .arg(tableName()),
                    {}, [&](QSqlQuery& q) {
                        if (q.next() && q.value(1).toString() == QLatin1String("C") &&
                            q.value(2).toString().trimmed() == who) {
                            last = q.value(0);
                            details = q.value(3).toString();
                        }
                    });
        QJsonObject o = QJsonDocument::fromJson(details.toUtf8()).object();
        // Into the update itself and once: the last entry may be another desk's clean-up,
        // or an update that another desk's clean-up joined already.
        if (last.isValid() && !o.contains(QStringLiteral("vacios_a_cero")) &&
            kindOf(o.value(QStringLiteral("sentencia")).toString()) != Kind::CleanUp) {
            o[QStringLiteral("vacios_a_cero")] = rows;
            if (!shares.isEmpty())
                o[StatementShares::emptiedKey()] = shares;
            db.exec(
                QStringLiteral("UPDATE %1 SET DET_HIST = :D WHERE TVL_ROWID = :K").arg(tableName()),
                {QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)), last});
            return;
        }
    }
    QJsonObject details{{QStringLiteral("sentencia"), text}, {QStringLiteral("filas"), rows}};
    if (!shares.isEmpty())
        details.insert(StatementShares::rowsKey(), shares);
    insertEntry(db, who, kind ? QStringLiteral("C") : QStringLiteral("S"),
                QVariant(QMetaType(QMetaType::LongLong)), {}, rows,
                QString::fromUtf8(QJsonDocument(details).toJson(QJsonDocument::Compact)));
}

QList<HistoryEntry> ChangeHistory::forRow(Database& db, int company, const QVariant& payrollConcept,
                                          const QString& account, const QVariant& related)
{
    const bool noRelated = isNull(related);
    const QVariantList keyValues{company, payrollConcept, account.trimmed(),
                                 noRelated ? QVariant(0) : QVariant(related.toInt())};
    const QString relatedTest =
        noRelated ? QStringLiteral("%1 IS NULL AND 0 = :R") : QStringLiteral("%1 = :R");
    // The rows with these keys now, and those that had them at some change.
    QSet<qint64> rowKeys;
    const auto collect = [&rowKeys](QSqlQuery& q) {
        while (q.next())
            rowKeys.insert(q.value(0).toLongLong());
    };
    db.readOnly(QStringLiteral("SELECT TVL_ROWID FROM NM_RPCOS WHERE COD_EMPR = :E AND "
                               "COD_CONT = :C AND COD_CUEN = :A AND ") +
                    relatedTest.arg(QStringLiteral("COD_CCOS")),
                keyValues, collect);
    db.readOnly(QStringLiteral("SELECT DISTINCT LLA_HIST FROM %1 WHERE EMP_HIST = :E AND "
                               "CON_HIST = :C AND CUE_HIST = :A AND ")
                        .arg(tableName()) +
                    relatedTest.arg(QStringLiteral("CCO_HIST")),
                keyValues, collect);
    QList<HistoryEntry> entries;
    if (rowKeys.isEmpty())
        return entries;
    QStringList keyList;
    for (qint64 key : rowKeys)
        keyList.append(QString::number(key));
    QList<HistoryEntry> all;
    db.readOnly(QStringLiteral("SELECT FEC_HIST, USU_HIST, OPE_HIST, LLA_HIST, FIL_HIST, DET_HIST "
                               "FROM %1 WHERE LLA_HIST IS NULL OR LLA_HIST IN (%2) "
                               "ORDER BY TVL_ROWID")
                    .arg(tableName(), keyList.join(QLatin1Char(','))),
                {}, [&](QSqlQuery& q) {
                    while (q.next()) {
                        const qint64 key = q.value(3).isNull() ? -1 : q.value(3).toLongLong();
                        if (key < 0 || rowKeys.contains(key))
                            all.append({coerce(q.value(0), FieldType::DateTime).toDateTime(),
                                        q.value(1).toString().trimmed(),
                                        q.value(2).toString().trimmed(), key, q.value(4).toInt(),
                                        q.value(5).toString()});
                    }
                });
    // A statement over the relation counts for the rows while they exist: after their
    // insert and before their delete; rows older than the history exist from the start.
    const auto inserted = [](const HistoryEntry& e) { return e.operation == QLatin1String("A"); };
    QSet<qint64> alive;
    for (qint64 key : rowKeys) {
        if (std::none_of(all.cbegin(), all.cend(),
                         [&](const HistoryEntry& e) { return e.rowKey == key && inserted(e); }))
            alive.insert(key);
    }
    for (const HistoryEntry& e : all) {
        if (e.rowKey < 0) {
            if (alive.isEmpty())
                continue;
            if (const std::optional<HistoryEntry> share = StatementShares::forCompany(e, company))
                entries.append(*share);
            continue;
        }
        if (inserted(e))
            alive.insert(e.rowKey);
        else if (e.operation == QLatin1String("B"))
            alive.remove(e.rowKey);
        entries.append(e);
    }
    return entries;
}

QVariant ChangeHistory::method(Database& db, QVariantList& args)
{
    const RowHistoryRequest request = RowHistoryCall::decodeRequest(args);
    RowHistoryReply reply;
    for (const HistoryEntry& e :
         forRow(db, request.company,
                request.payrollConcept ? QVariant(*request.payrollConcept) : QVariant(),
                request.account, request.related ? QVariant(*request.related) : QVariant()))
        reply.entries.append(replyEntry(e));
    return RowHistoryCall::encodeReply(reply, args);
}

} // namespace tavrel
