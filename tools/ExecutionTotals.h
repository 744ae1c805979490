#pragma once

#include <QList>
#include <QString>

namespace tavrel {

class IAppServer;
struct XlsxSheet;

// The total and the caused value of one company's relation rows, summed per budget
// resource (COD_PRES) and per funding source (COD_FUEN), as the session's server shows
// them.
class ExecutionTotals
{
public:
    struct Group
    {
        QString code; // empty for rows without one
        double total = 0;
        double caused = 0;

        // The code as charts and sheets name it.
        QString label() const;
    };

    // Throws ModuleError.
    static ExecutionTotals fetch(IAppServer& server, int company);

    // The totals as the sheet "Ejecución" of a workbook: a table of code, total and
    // caused value per budget resource and another per funding source, each drawn by a
    // column chart of its two series.
    XlsxSheet sheet() const;

    int company = 0;
    QList<Group> byResource;
    QList<Group> bySource;
};

} // namespace tavrel
