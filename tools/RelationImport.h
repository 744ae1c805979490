#pragma once

#include "RelationImportPlan.h"

#include <QString>

namespace tavrel {

class IAppServer;

// The import of a workbook into one company's relation through the session's server: the
// plan against the rows the relation's provider gives now, and its application as one
// post of all its rows.
class RelationImport
{
public:
    // Throws ModuleError for a file that is not a relation workbook or a server failure.
    static RelationImportPlan plan(IAppServer& server, int company, const QString& xlsx);

    // Writes the plan's inserts and updates in one transaction, stamped with the server's
    // time and `user`, and returns how many rows it wrote. A plan with a refused row writes
    // nothing and throws; so does a row changed on the server since the plan was made.
    static int apply(IAppServer& server, int company, const QString& user,
                     const RelationImportPlan& plan);

    static QString provider() { return QStringLiteral("DtsPVeZEZev"); }
};

} // namespace tavrel
