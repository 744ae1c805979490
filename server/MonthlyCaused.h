#pragma once

#include "TavrelServerExport.h"

#include "MonthlyCausedCall.h"

#include <QVariantList>

namespace tavrel {

class Database;

// The caused value of each relation row of a company, month by month, as the yearly path
// of the caused-value update computes it for the year: its own statement's sum and
// movements (CausedValueStatements::monthlyYearSums), the column the company's flag
// V0000017 chooses, each movement in the month of its processing date. The twelve months
// of a row add up to what the update writes into its VAL_CAUS. Writes nothing.
class TAVREL_SERVER_EXPORT MonthlyCaused
{
public:
    // A year of 0 or less takes the year of FEC_RPCO; a setting that names no year is
    // refused with a message asking for one. Throws ModuleError.
    static MonthlyCausedReply compute(Database& db, const MonthlyCausedRequest& request);

    // The late-bound method CausadoMensual (MonthlyCausedCall).
    static QVariant invoke(Database& db, QVariantList& args);
};

} // namespace tavrel
