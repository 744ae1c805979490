#include "StatementShares.h"

#include "ChangeHistory.h"

#include <QHash>
#include <QJsonDocument>
#include <QRegularExpression>

namespace tavrel {

QString StatementShares::returningCompanies(const QString& sql)
{
    static const QRegularExpression update(QStringLiteral("^\\s*UPDATE\\s+NM_RPCOS\\s+SET\\s"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (!update.match(sql).hasMatch())
        return sql;
    QString text = sql.trimmed();
    if (text.endsWith(QLatin1Char(';')))
        text.chop(1);
    return text + QStringLiteral(" RETURNING COD_EMPR");
}

int StatementShares::tally(QSqlQuery& executed, QJsonObject& shares)
{
    shares = QJsonObject();
    if (!executed.isSelect())
        return executed.numRowsAffected();
    QHash<QString, int> counts;
    int rows = 0;
    while (executed.next()) {
        ++counts[executed.value(0).toString()];
        ++rows;
    }
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        shares.insert(it.key(), it.value());
    return rows;
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
