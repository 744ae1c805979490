#pragma once

#include "TavrelRelationExport.h"

#include <QString>
#include <optional>

namespace tavrel {

// The balance of a relation row: its total value VAL_TOTA minus its caused value
// VAL_CAUS, and 0 when either is empty. The window shows it beside every row; the archive
// of a closed year keeps it. One rule, in the two forms its users need.
class TAVREL_RELATION_EXPORT RelationBalance
{
public:
    // An empty value is nothing.
    static double of(std::optional<double> total, std::optional<double> caused);
    // The same rule as an SQL expression over the row's columns VAL_TOTA and VAL_CAUS.
    static QString sql();
};

} // namespace tavrel
