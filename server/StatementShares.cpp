#include "StatementShares.h"

#include "ChangeHistory.h"
#include "Database.h"
#include "SqlText.h"

#include <QJsonDocument>
#include <QRegularExpression>

namespace tavrel {

namespace {

// The statement's own condition: what follows its WHERE outside parentheses and quotes
// (the caused-value update has WHERE only in its subquery); empty when there is none.
QString condition(const QString& sql)
{
    int depth = 0;
    bool quoted = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (c == u'\'')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
        else if (depth == 0 &&
                 sql.mid(i, 7).compare(QLatin1String(" WHERE "), Qt::CaseInsensitive) == 0)
            return sql.mid(i + 7);
    }
    return QString();
}

} // namespace

QJsonObject StatementShares::count(Database& db, const QString& sql, const QVariantList& values)
{
    static const QRegularExpression update(QStringLiteral("^\\s*UPDATE\\s+NM_RPCOS\\s+SET\\s"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (!update.match(sql).hasMatch())
        return {};
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QString where = condition(QString(sql).replace(blanks, QStringLiteral(" ")).trimmed());
    // The condition's markers take the values the statement gives them.
    const QStringList names = SqlText::parseMarkers(sql).distinct;
    QVariantList bound;
    for (const QString& name : SqlText::parseMarkers(where).distinct)
        bound.append(values.value(names.indexOf(name)));
    QJsonObject shares;
    // In the statement's transaction, on its connection. A transaction that reads before
    // it writes cannot take the write lock on SQLite while another connection writes (it
    // is refused at once, not after waiting), so there it first writes nothing.
    if (!db.isPostgres())
        db.exec(QStringLiteral("UPDATE NM_RPCOS SET VAL_CAUS = VAL_CAUS WHERE 1 = 0"));
    QSqlQuery q =
        db.exec(QStringLiteral("SELECT COD_EMPR, COUNT(*) FROM NM_RPCOS%1 GROUP BY COD_EMPR")
                    .arg(where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where),
                bound);
    while (q.next())
        shares.insert(q.value(0).toString(), q.value(1).toInt());
    return shares;
}

std::optional<HistoryEntry> StatementShares::forCompany(const HistoryEntry& entry, int company)
{
    const QJsonObject details = QJsonDocument::fromJson(entry.details.toUtf8()).object();
    const QString code = QString::number(company);
    QJsonObject shown{{QStringLiteral("sentencia"), details.value(QStringLiteral("sentencia"))}};
    HistoryEntry result = entry;
    result.rows = 0;
    if (details.contains(rowsKey())) {
        result.rows = details.value(rowsKey()).toObject().value(code).toInt();
        if (result.rows == 0)
            return std::nullopt;
        shown.insert(QStringLiteral("filas"), result.rows);
        if (details.contains(QStringLiteral("vacios_a_cero")))
            shown.insert(QStringLiteral("vacios_a_cero"),
                         details.value(emptiedKey()).toObject().value(code).toInt());
    }
    result.details = QString::fromUtf8(QJsonDocument(shown).toJson(QJsonDocument::Compact));
    return result;
}

} // namespace tavrel
