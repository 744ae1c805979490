#pragma once

#include "TavrelServerExport.h"

#include "CausedPeriod.h"
#include "ResultTable.h"

#include <QDateTime>
#include <QVariantList>

namespace tavrel {

class Database;

// What the caused-value update would write into VAL_CAUS, row by row, written nowhere.
// The preview runs the update's own statements (CausedValueStatements) in a transaction
// that it rolls back, so it cannot disagree with the update:
//   - the period of CausedPeriod (FEC_RPCO, or a year given by the caller);
//   - on the yearly path the sum is that of the flag V0000017 of the company the update
//     runs for, and the clean-up follows the update;
//   - the rows are those the database shows the caller, and so those the update would
//     rewrite for the same login.
// Nothing it writes is seen by anyone else, it records no history, and its locks end
// with the rollback. Rows: every stored column of NM_RPCOS as it is now, then
// VAL_CAUS_NUEVO, ordered by company, concept, account and related code.
class TAVREL_SERVER_EXPORT CausedValuePreview
{
public:
    struct Result
    {
        CausedPeriod period;
        QString summedColumn; // "VAL_CAUC" or "VAL_TRAN"
        ResultTable rows;
    };

    // `company` is the one whose flag the update would read; `year` 0 or less follows
    // FEC_RPCO; `clientTime` is the desk's clock, from which the latest-date path looks
    // back. Throws ModuleError.
    static Result compute(Database& db, int company, int year, const QDateTime& clientTime);

    // The value of the flag V0000017 for the company, read as the module reads it
    // (CountryFlags).
    static QString flagDigiDian(Database& db, int company);

    // The late-bound method VistaPreviaCausado (CausedPreviewCall).
    static QVariant invoke(Database& db, QVariantList& args);
};

} // namespace tavrel
