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
    // Brings a database of an older schema version (2 or later) to the current one: creates
    // the tables it lacks and records the version, in one transaction, keeping every row.
    // Returns the tables created. Throws ModuleError (Refusal) and changes nothing for a
    // database without the system's schema, of a version too old or already current.
    static QStringList upgrade(Database& db);
};

} // namespace tavrel
