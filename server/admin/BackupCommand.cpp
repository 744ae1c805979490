#include "BackupCommand.h"

#include "CommandLine.h"
#include "DatabaseLocation.h"
#include "LoginOptions.h"
#include "ModuleError.h"
#include "SqliteBackup.h"

namespace tavrel {

QString BackupCommand::usage()
{
    return QStringLiteral("uso: tavrel backup --database <archivo-sqlite> --to ARCHIVO");
}

int BackupCommand::run(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const QCommandLineOption database =
        LoginOptions::database(QStringLiteral("La base de datos SQLite que se copia."));
    const QCommandLineOption to(QStringLiteral("to"),
                                QStringLiteral("El archivo de la copia, que no debe existir."),
                                QStringLiteral("ARCHIVO"));
    CommandLine line(usage(), {database, to});
    switch (line.parse(args)) {
    case CommandLine::Result::Answer:
        out << line.answer();
        return 0;
    case CommandLine::Result::WrongArgument:
        err << "tavrel backup: " << line.refusal() << "\n";
        return 2;
    case CommandLine::Result::Run:
        break;
    }
    const QString source = LoginOptions::database(line);
    const QString target = line.values().value(to);
    if (source.isEmpty() || target.isEmpty()) {
        err << "tavrel backup: indique --database y --to\n" << usage() << "\n";
        return 2;
    }
    const DatabaseLocation location = DatabaseLocation::parse(source);
    if (location.engine != DatabaseLocation::Engine::Sqlite) {
        err << "tavrel backup: una base PostgreSQL se copia con pg_dump (y se recupera con "
               "pg_restore); la guía de instalación da las órdenes\n";
        return 2;
    }
    try {
        const int pages = SqliteBackup::copy(location.filePath, target);
        out << "Copia de " << location.filePath << " escrita en " << target << " (" << pages
            << " páginas, integridad revisada).\n";
        return 0;
    } catch (const ModuleError& e) {
        err << "tavrel backup: " << e.message() << "\n";
        return 1;
    }
}

} // namespace tavrel
