#pragma once

#include "TavrelServerExport.h"

#include <QJsonObject>
#include <QString>
#include <QVariantList>
#include <optional>

namespace tavrel {

class Database;
struct HistoryEntry;

// A statement over the whole relation (the caused-value update and its clean-up) is one
// entry of the change history, but the row history of one company shows only that
// company's share of it: how many of its rows the statement changed, not how many the
// relation has in all. The shares are counted in the statement's transaction, just
// before it runs, with the statement's own condition and the row-level security of its
// session.
class TAVREL_SERVER_EXPORT StatementShares
{
public:
    // The rows of each company that `sql` (with the values of its markers) is about to
    // change, as {"2": 3, ...}; empty for a statement that is no UPDATE of the relation.
    static QJsonObject count(Database& db, const QString& sql, const QVariantList& values);

    // A statement entry as the history of a row of `company` shows it: its counts are the
    // company's; nothing when the statement changed none of its rows. An entry without
    // shares (written before they were counted) shows no count at all.
    static std::optional<HistoryEntry> forCompany(const HistoryEntry& entry, int company);

    // Detail keys of the shares of the statement and of the clean-up that joined it.
    static QString rowsKey() { return QStringLiteral("empresas"); }
    static QString emptiedKey() { return QStringLiteral("vacios_a_cero_empresas"); }
};

} // namespace tavrel
