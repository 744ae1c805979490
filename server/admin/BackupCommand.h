#pragma once

#include "TavrelServerAdminExport.h"

#include <QStringList>
#include <QTextStream>

namespace tavrel {

// The sub-command "backup --database D --to F": a copy of a SQLite database while desks
// keep working on it (SqliteBackup), checked before it gets its name. A PostgreSQL
// database is copied with its own tools, pg_dump and pg_restore: the command says so.
// Exit codes: 0 copied or answered; 1 the copy failed; 2 wrong arguments or a database
// it does not copy.
class TAVREL_SERVER_ADMIN_EXPORT BackupCommand
{
public:
    static int run(const QStringList& args, QTextStream& out, QTextStream& err);
    static QString usage();
};

} // namespace tavrel
