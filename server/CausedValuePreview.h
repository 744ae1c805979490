#pragma once

#include "TavrelServerExport.h"

#include "CausedPeriod.h"
#include "ResultTable.h"

#include <QDateTime>
#include <QVariantList>

namespace tavrel {

class Database;

// What the caused-value update would write into VAL_CAUS, row by row, computed by one
// SELECT with the update's own correlated sum and written nowhere. The rules are the
// update's:
//   - the period of CausedPeriod (FEC_RPCO, or a year given by the caller);
//   - the yearly path sums VAL_TRAN when the flag V0000017 of the company the update
//     runs for is exactly "S", otherwise VAL_CAUC; the latest-date path always sums
//     VAL_CAUC;
//   - a row without a matching debit movement is left empty on the latest-date path and
//     gets 0 on the yearly path (the update's clean-up);
//   - a movement counts for a row when company, related code, concept and account are
//     equal and its nature is "D"; an empty related code matches nothing.
// Rows are those the database shows the caller: every stored column of NM_RPCOS as it
// is now, then VAL_CAUS_NUEVO, ordered by company, concept, account and related code.
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

    // The value of the flag V0000017 for the company, as the module reads it: the
    // trimmed VAL_VARI of the first applying row of GN_DIGIF, or "N".
    static QString flagDigiDian(Database& db, int company);

    // The late-bound method VistaPreviaCausado (CausedPreviewCall).
    static QVariant invoke(Database& db, QVariantList& args);
};

} // namespace tavrel
