#pragma once

#include "TavrelServerExport.h"

#include "RelationCheckCall.h"

#include <QList>
#include <QVariant>
#include <QVariantList>

namespace tavrel {

class Database;

// The consistency checks of one company's relation rows: funding source against budget
// resource, caused value above the total, the same concept, account and related code
// twice, concepts and accounts that no longer exist, and budget codes outside the lists.
class TAVREL_SERVER_EXPORT RelationChecks
{
public:
    // In the order of the rows, each row's warnings in the order of the checks above.
    static QList<RelationWarning> run(Database& db, int company);

    // The late-bound method RevisarRelacion (RelationCheckCall).
    static QVariant method(Database& db, QVariantList& args);
};

} // namespace tavrel
