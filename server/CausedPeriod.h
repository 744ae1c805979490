#pragma once

#include "TavrelServerExport.h"

#include "CausedValueStatements.h"

#include <QDateTime>
#include <QString>

namespace tavrel {

class Database;

// The movements that the caused-value update sums, as the update chooses them: from the
// payroll variable FEC_RPCO of NM_VARIG, or from a year that the caller gives.
//   - FEC_RPCO empty, missing or an integer of 0 or less: the latest-date path, which
//     sums the debit movements processed on the latest processing date not after the
//     client's time (over every company the database shows);
//   - FEC_RPCO a year: the yearly path, from 1 January to 31 December of that year,
//     both at midnight, so a movement later on 31 December falls outside.
// A setting the update cannot read stops it with a conversion error before it writes
// anything; the same texts are refused here with the same kind of error.
class TAVREL_SERVER_EXPORT CausedPeriod
{
public:
    enum class Path
    {
        LatestDate,
        Year,
    };

    Path path = Path::LatestDate;
    // The update's texts for the path (the latest-date path's two differ in blanks only).
    CausedValueStatements::Texts texts = CausedValueStatements::Texts::EmptySetting;
    int year = 0;    // the yearly path's year
    QDateTime start; // yearly path: 1 January 00:00; latest-date path: the accounting date
    QDateTime end;   // yearly path: 31 December 00:00; latest-date path: the accounting date

    // VAL_VARI of the FEC_RPCO row, or an empty text when there is no row.
    static QString readSetting(Database& db);
    // The path for a FEC_RPCO text. The latest-date path's dates are left unset (see
    // findAccountingDate). Throws ModuleError (Conversion) for a text that is no integer
    // or no year.
    static CausedPeriod forSetting(const QString& setting);
    // The yearly path of `year`; throws ModuleError (Conversion) outside 1 to 9999.
    static CausedPeriod forYear(int year);
    // The period of `year` when it is positive, otherwise that of the stored setting.
    static CausedPeriod choose(Database& db, int year);

    // Latest-date path: the latest processing date not after `clientTime`, or
    // `clientTime` itself when no movement is that old.
    void findAccountingDate(Database& db, const QDateTime& clientTime);

    // "del 01/01/2013 al 31/12/2013" or "del 31/01/2014 00:00", for messages.
    QString description() const;
};

} // namespace tavrel
