#pragma once

#include "TavrelServerExport.h"

#include "Delta.h"

namespace tavrel {

struct TableDef;

// The column names of a delta in the table's own spelling. Names are matched without
// regard to case, as the database does, so every check that looks a column up by name
// sees what the database will store. A row that names one column twice, in any two
// spellings, is refused: a check could read one value and the database store the other.
// Names that are no column of the table are kept as sent.
class TAVREL_SERVER_EXPORT DeltaColumns
{
public:
    // Throws ModuleError (Refusal) for a column named twice in one row.
    static Delta spelled(const TableDef& table, const Delta& delta);
    static QVariantMap spelled(const TableDef& table, const QVariantMap& values);
};

} // namespace tavrel
