#pragma once

#include <QStringList>
#include <QTextStream>

namespace tavrel {

// Headless sub-commands over the relation that ask the application server directly,
// without loading the module:
//   tavrel check --database D --user U --password P --company N [--protocol X] [--json]
//     prints the consistency warnings of the company's relation rows. Exit 0 also when
//     there are warnings: they never stop anything.
//   tavrel history --database D --user U --password P --company N --concept C
//                  --account A [--related R] [--json]
//     prints the recorded changes of the relation row with these keys, oldest first.
// Exit 1 when the login or the server fails, 2 for wrong arguments. Both answer --help
// and --version on `out`.
class RelationToolCommands
{
public:
    static int check(const QStringList& args, QTextStream& out, QTextStream& err);
    static int history(const QStringList& args, QTextStream& out, QTextStream& err);

    static bool handles(const QString& command);
    static QString synopses(); // the usage of each, one indented entry each
};

} // namespace tavrel
