#pragma once

#include "HostSession.h"

#include <QString>
#include <QStringList>

namespace tavrel {

struct ProgramEntry;

// What the host does when a linked label of a module window asks for the program at a
// path the server gave (GN_PROGR keeps one per program code):
//   - an executable file at that path, a relative path being taken from the host's own
//     folder, is started on its own with the session;
//   - otherwise a program of the host's catalogue whose code or library is the path's
//     file name is opened in the host;
//   - otherwise the program is not available on this computer.
struct ProgramLink
{
    enum class Kind
    {
        Executable,
        Module,
        Unavailable,
    };

    Kind kind = Kind::Unavailable;
    QString executable;                   // the file to start
    QStringList arguments;                // its command line: database, user, company
    QStringList environment;              // NAME=value pairs added to its environment
    const ProgramEntry* module = nullptr; // the catalogue's program

    // Secrets never go on a command line: the password travels in the environment, and
    // a database URL that carries a password travels whole there instead of as
    // --database (see LoginOptions).
    static ProgramLink resolve(const QString& path, const QString& programFolder,
                               const HostSession& session);

    // Starts the executable detached from the host; throws ModuleError when it cannot.
    void start() const;
};

} // namespace tavrel
