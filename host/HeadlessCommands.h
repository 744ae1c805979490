#pragma once

#include <QStringList>
#include <QTextStream>

namespace tavrel {

// Sub-commands that load a module without showing it:
//   tavrel session --database D --user U --password P --company N [--protocol X]
//                  [--alias A] [--hpv TEXT] [--client-version "V;D"] [--json]
//     loads the module, prints the session globals as the module holds them, unloads.
//   tavrel call --database D --user U --password P --company N MODULE OPERATION
//     loads the module (its company change runs), invokes the published operation of
//     its window by name and unloads. Exit 0 on success; the error's message and exit
//     1 on failure.
//   tavrel report --database D --user U --password P --company N --pdf FILE
//     loads the relation program, writes its report of the company to FILE as PDF and
//     unloads; the file is replaced only when the report was written completely.
//   tavrel export --database D --user U --password P --company N (--xlsx F | --csv F)
//     loads the relation program and writes the company's rows as its grid shows them
//     to an Excel workbook or a CSV file; the workbook has a second sheet with the
//     company's execution figures (see ExecutionTotals::sheet).
// All need a QApplication; messages the module would show in a box are printed. Each
// answers --help and --version on `out` without loading anything.
class HeadlessCommands
{
public:
    static int session(const QStringList& args, QTextStream& out, QTextStream& err);
    static int call(const QStringList& args, QTextStream& out, QTextStream& err);
    static int report(const QStringList& args, QTextStream& out, QTextStream& err);
    static int exportRows(const QStringList& args, QTextStream& out, QTextStream& err);

    static QString usage(const QString& command); // "tavrel session --database D ..."
    static QString synopses();                    // the usage of each, one indented entry each
};

} // namespace tavrel
