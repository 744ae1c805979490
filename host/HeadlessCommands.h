#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace tavrel {

// The sub-commands of tavrel that run without a window. Each reads the login options
// and its own in one command line, answers --help and --version on `out` without
// logging in, and refuses a wrong command line with exit code 2.
//
// Those that load a module without showing it, with the session's [--alias A]
// [--hpv TEXT] [--client-version "V;D"] besides the login:
//   tavrel session ... [--json]
//     loads the module, prints the session globals as the module holds them, unloads.
//   tavrel call ... MODULE OPERATION
//     loads the module (its company change runs), invokes the published operation of
//     its window by name and unloads.
//   tavrel report ... --pdf FILE
//     loads the relation program, writes its report of the company to FILE as PDF and
//     unloads; the file is replaced only when the report was written completely.
//   tavrel export ... (--xlsx F | --csv F)
//     loads the relation program and writes the company's rows as its grid shows them
//     to an Excel workbook or a CSV file; the workbook has a second sheet with the
//     company's execution figures (see ExecutionTotals::sheet).
// They need a QApplication; messages the module would show in a box are printed.
//
// And the relation's tools (RelationToolCommands), which log in to the company and ask
// its server directly. Exit 0 on success; the error's message and exit 1 on failure.
class HeadlessCommands
{
public:
    static bool handles(const QString& command);
    static bool loadsModule(const QString& command); // and so needs a QApplication
    static int run(const QString& command, const QStringList& args, QTextStream& out,
                   QTextStream& err);

    static QString synopses(); // the usage of each, one indented entry each
};

} // namespace tavrel
