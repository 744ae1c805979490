#pragma once

#include "TavrelServerExport.h"

#include <QJsonObject>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <optional>

namespace tavrel {

struct HistoryEntry;

// A statement over the whole relation (the caused-value update and its clean-up) is one
// entry of the change history, but the row history of one company shows only that
// company's share of it: how many of its rows the statement changed, not how many the
// relation has in all. The statement itself returns the company of each row it changed,
// so the shares are exact whatever other desks do meanwhile.
class TAVREL_SERVER_EXPORT StatementShares
{
public:
    // The statement to run for `sql`: an UPDATE of the relation also returns the company
    // of each row it changes; any other statement is returned as it is.
    static QString returningCompanies(const QString& sql);
    // The rows the statement changed, and for one that returned its companies, how many
    // of each company's, as {"2": 3, ...} (empty otherwise).
    static int tally(QSqlQuery& executed, QJsonObject& shares);

    // A statement entry as the history of a row of `company` shows it: its counts are the
    // company's; nothing when the statement changed none of its rows. An entry without
    // shares (written before they were counted) shows no count at all.
    static std::optional<HistoryEntry> forCompany(const HistoryEntry& entry, int company);

    // Detail keys of the shares of the statement and of the clean-up that joined it.
    static QString rowsKey() { return QStringLiteral("empresas"); }
    static QString emptiedKey() { return QStringLiteral("vacios_a_cero_empresas"); }
};

} // namespace tavrel
