#pragma once

#include "TavrelContractsExport.h"

#include <QList>
#include <QVariantMap>

namespace tavrel {

// One changed row of a client dataset, as sent to IAppServer::applyUpdates.
// Column names are those of the packet (upper case).
struct TAVREL_CONTRACTS_EXPORT DeltaRow
{
    enum class Kind
    {
        Insert,
        Modify,
        Delete
    };

    Kind kind = Kind::Insert;
    qint64 rowKey = -1;   // technical key from the packet; -1 for inserts
    QVariantMap original; // Modify/Delete: the values as read, for every column
    QVariantMap values;   // Insert: the columns to store; Modify: only the changed columns
};

// The changes of one post or delete, applied in one transaction.
struct TAVREL_CONTRACTS_EXPORT Delta
{
    QList<DeltaRow> rows;
};

} // namespace tavrel
