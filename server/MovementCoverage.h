#pragma once

#include "TavrelServerExport.h"

#include "CausedPeriod.h"
#include "ResultTable.h"

#include <QVariantList>

namespace tavrel {

class Database;

// The debit movements of a year that no relation row takes in: those whose company,
// related code, concept and account equal no row of NM_RPCOS, so that the caused-value
// update leaves them out of every sum. A movement with an empty related code matches no
// row and is always listed. The year is the yearly path's (CausedPeriod): 1 January to
// 31 December at midnight.
//
// One row per company, related code, concept and account: COD_EMPR, COD_CCOS, COD_CONT,
// COD_CUEN, MOVIMIENTOS (how many), VAL_CAUC and VAL_TRAN (their sums), in that order.
class TAVREL_SERVER_EXPORT MovementCoverage
{
public:
    struct Result
    {
        CausedPeriod period;
        ResultTable groups;
    };

    // `year` 0 or less takes the year of FEC_RPCO; a setting that names no year is
    // refused with a message asking for one. Throws ModuleError.
    static Result compute(Database& db, int year);

    // The late-bound method MovimientosSinRelacion (MovementCoverageCall).
    static QVariant invoke(Database& db, QVariantList& args);
};

} // namespace tavrel
