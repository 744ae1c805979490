#include "RelationBalance.h"

namespace tavrel {

double RelationBalance::of(std::optional<double> total, std::optional<double> caused)
{
    return total && caused ? *total - *caused : 0.0;
}

QString RelationBalance::sql()
{
    return QStringLiteral(
        "CASE WHEN VAL_TOTA IS NULL OR VAL_CAUS IS NULL THEN 0 ELSE VAL_TOTA - VAL_CAUS END");
}

} // namespace tavrel
