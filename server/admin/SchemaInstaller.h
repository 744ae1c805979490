#pragma once

#include "TavrelServerAdminExport.h"

#include <QStringList>

namespace tavrel {

class Database;

// Creates the schema of the catalogue on an empty database and tells what a database
// already holds.
class TAVREL_SERVER_ADMIN_EXPORT SchemaInstaller
{
public:
    // Tables of the catalogue that already exist in the database.
    static QStringList existingTables(Database& db);
    // Creates every table, index and the version row in one transaction. Throws
    // ModuleError (Refusal) and creates nothing when any of the tables exists.
    static void install(Database& db);
};

} // namespace tavrel
