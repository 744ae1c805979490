#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace tavrel {

// One command line of tavrel or of one of its sub-commands, read with QCommandLineParser.
// Every command answers --help (its usage and options) and --version without running,
// and a wrong argument is named as the user typed it, with the same refusal in every
// command. Options are written --name VALUE, --name=VALUE or -name VALUE.
class CommandLine
{
public:
    enum class Result
    {
        Run,           // the options are read: values() and positional()
        Answer,        // --help or --version: print answer() on stdout and end with 0
        WrongArgument, // refusal() names an argument the command does not take
    };

    // `usage` heads the help text; the options follow it. --version names `program`.
    // The command takes up to `positionals` plain arguments; one more is refused.
    CommandLine(const QString& usage, const QList<QCommandLineOption>& options,
                const QString& program = QStringLiteral("tavrel"), qsizetype positionals = 0);

    Result parse(const QStringList& arguments); // the arguments after the command's name

    const QCommandLineParser& values() const { return m_parser; }
    QStringList positional() const { return m_parser.positionalArguments(); }
    QString answer() const { return m_answer; }
    QString refusal() const { return m_refusal; } // set for Result::WrongArgument

    // An option as the user types it, for messages: "--concept".
    static QString typed(const QCommandLineOption& option);

private:
    QCommandLineParser m_parser;
    QString m_usage;
    QString m_program;
    qsizetype m_positionals;
    QStringList m_flags; // the options that take no value
    QString m_answer;
    QString m_refusal;
};

} // namespace tavrel
