#pragma once

#include "MonthlyCausedCall.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QVariant>

namespace tavrel {

class IAppServer;

// The caused value of each relation row of a company month by month, as the application
// server computes it (its method CausadoMensual), the same figures added up per budget
// classification, and what the host shows and exports of them.
class MonthlyCausedReport : public MonthlyCausedReply
{
public:
    // One budget classification: funding source, budget resource, funds situation and
    // PAC dependency, with the sum of its rows per month.
    struct Classification
    {
        QVariant fuente, recurso, situacion, dependencia;
        QList<double> months;
    };

    // `year` 0 takes the year of FEC_RPCO. Throws ModuleError.
    static MonthlyCausedReport fetch(IAppServer& server, int company, int year);

    int company = 0;
    int year() const { return start.date().year(); }
    // The twelve months of a row, January first.
    QList<double> months(int row) const;
    // The rows added up per classification, in the order of its codes.
    QList<Classification> classifications() const;

    // {"rows": [{COD_EMPR, COD_CONT, COD_CUEN, COD_CCOS, months}], "classifications":
    //  [{COD_FUEN, COD_PRES, COD_SITU, DEP_APAC, months}]}
    QJsonObject toJson() const;
    // A sheet of the rows and one of the classifications, each month a column and the
    // year's total last. Throws ModuleError.
    void writeXlsx(const QString& path) const;
};

} // namespace tavrel
