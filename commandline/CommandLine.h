#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace tavrel {

// One command line of tavrel or of one of its sub-commands, read with QCommandLineParser.
// Every command answers --help (its usage and options) and --version without running,
// and a wrong argument is named as the user typed it, so that each command can refuse it
// with its own message. Options are written --name VALUE, --name=VALUE or -name VALUE.
class CommandLine
{
public:
    enum class Result
    {
        Run,           // the options are read: values() and positional()
        Answer,        // --help or --version: print answer() on stdout and end with 0
        WrongArgument, // wrongArgument() is no option of the command or lacks its value
    };

    // `usage` heads the help text; the options follow it. --version names `program`.
    CommandLine(const QString& usage, const QList<QCommandLineOption>& options,
                const QString& program = QStringLiteral("tavrel"));

    Result parse(const QStringList& arguments); // the arguments after the command's name

    const QCommandLineParser& values() const { return m_parser; }
    QStringList positional() const { return m_parser.positionalArguments(); }
    QString answer() const { return m_answer; }
    QString wrongArgument() const { return m_wrong; }
    bool missingValue() const { return m_missingValue; }

private:
    QCommandLineParser m_parser;
    QString m_usage;
    QString m_program;
    QStringList m_flags; // the options that take no value
    QString m_answer;
    QString m_wrong;
    bool m_missingValue = false;
};

} // namespace tavrel
