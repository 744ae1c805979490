#pragma once

#include "TavrelServerAdminExport.h"

#include <QStringList>
#include <QTextStream>

namespace tavrel {

// The sub-command "init-db --database <sqlite-file | postgresql://...> [--demo] [--scale N]":
// creates the schema, with --demo the fixed demo data, and with --scale N also N
// generated relation rows with about 50 movements each (implies --demo). Everything is
// created in one transaction. A database that already holds tables of the system is left
// untouched.
//
// "init-db --upgrade --database D" brings a database of an older schema version to this
// one without losing data (SchemaInstaller::upgrade). A SQLite file is first copied
// beside itself, named with the date (SqliteBackup::datedName), and the copy is named in
// the output.
//
// --help and --version print their answer on `out` and create nothing.
// Exit codes: 0 created or answered; 1 wrong arguments or the database failed; 2 the schema exists.
class TAVREL_SERVER_ADMIN_EXPORT InitDbCommand
{
public:
    static int run(const QStringList& args, QTextStream& out, QTextStream& err);
    static QString usage();
};

} // namespace tavrel
