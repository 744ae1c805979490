#pragma once

#include <QList>
#include <QString>

namespace tavrel {

class IAppServer;

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
    };

    // Throws ModuleError.
    static ExecutionTotals fetch(IAppServer& server, int company);

    int company = 0;
    QList<Group> byResource;
    QList<Group> bySource;
};

} // namespace tavrel
