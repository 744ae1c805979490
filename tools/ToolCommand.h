#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QTextStream>

#include <functional>

namespace tavrel {

class CommandLine;
class IAppServer;

// A headless sub-command of tavrel that asks the session's server directly, without
// loading any module. Whoever runs it reads the login options and `options` in one
// command line, refuses what `check` refuses (exit 2), logs in to the company and hands
// the connection to `run`. A ModuleError thrown by `run` is the command's failure (exit 1).
struct ToolCommand
{
    QString name;                      // "check"
    QString synopsis;                  // "tavrel check --database D ...", for --help
    QList<QCommandLineOption> options; // besides the login's
    bool needsCompany = true;          // false: --company is optional
    // The refusal of values that cannot run, as the user typed them; empty when they can.
    std::function<QString(const CommandLine&)> check;
    std::function<void(IAppServer& server, int company, const CommandLine& line, QTextStream& out)>
        run;
    qsizetype positionals = 0; // plain arguments it takes besides the options
};

} // namespace tavrel
