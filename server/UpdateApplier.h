#pragma once

#include "TavrelServerExport.h"

#include "Delta.h"

#include <QList>

namespace tavrel {

class Database;
struct TableDef;

// Applies the rows of a delta to one table in one transaction. Rows are found by the
// technical key; a modified row must still hold the original values of the columns it
// changes, a deleted row the original values of all its columns. When a row no longer
// matches, everything is rolled back and ModuleError kind Conflict is thrown. Changes
// to a table with a change history are recorded there in the same transaction, in the
// name of `user` (empty: the audit user each row carries).
class TAVREL_SERVER_EXPORT UpdateApplier
{
public:
    // Returns the technical keys of the inserted rows, in delta order.
    static QList<qint64> apply(Database& db, const TableDef& table, const Delta& delta,
                               const QString& user = {});
};

} // namespace tavrel
