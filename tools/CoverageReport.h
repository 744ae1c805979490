#pragma once

#include "MovementCoverageCall.h"
#include "ResultTable.h"

#include <QDateTime>
#include <QJsonArray>

namespace tavrel {

class IAppServer;

// The debit movements of a year that no relation row takes in, grouped by company,
// related code, concept and account, as the application server finds them (its method
// MovimientosSinRelacion), and what the host shows and exports of them.
class CoverageReport : public MovementCoverageReply
{
public:
    struct Total
    {
        int groups = 0;
        qint64 movements = 0;
        double caused = 0;      // VAL_CAUC
        double transaction = 0; // VAL_TRAN
    };

    // `year` 0 takes the year of FEC_RPCO. Throws ModuleError.
    static CoverageReport fetch(IAppServer& server, int year);

    int year() const { return start.date().year(); }
    Total total() const;
    // One object per group: COD_EMPR, COD_CCOS, COD_CONT, COD_CUEN, movimientos, VAL_CAUC,
    // VAL_TRAN.
    QJsonArray toJson() const;
    // The groups and a grand total. Throws ModuleError.
    void writeXlsx(const QString& path) const;
};

} // namespace tavrel
