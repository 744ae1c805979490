#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>

namespace tavrel {

class CommandLine;

// The login a command line gives: where the server is, who logs in and to which company.
struct Login
{
    QString protocol; // "local", "http" or "https"
    QString database; // a SQLite file, a postgresql:// URL or, over http(s), host:port
    QString user;     // upper case, as the suite keeps its users
    QString password;
    QString company; // the company's code; empty when none was given

    int companyCode() const { return company.toInt(); }
};

// The login options every program of the suite reads: --database (or --server),
// --protocol, --user, --password and --company. Secrets never have to go on a command
// line, which every user of the computer can read (ps, /proc/<pid>/cmdline): a missing
// --password is read from PasswordVariable and a missing --database from
// DatabaseVariable, which only the process's owner can read.
class LoginOptions
{
public:
    static constexpr char PasswordVariable[] = "TAVREL_PASSWORD";
    static constexpr char DatabaseVariable[] = "TAVREL_DATABASE";

    static QList<QCommandLineOption> options();
    // --database alone, for the programs that open a database themselves (init-db,
    // tavrel-server), described for what they do with it.
    static QCommandLineOption database(const QString& description);

    // The values of a parsed command line that declared options(), with the environment
    // for what is missing.
    static Login read(const CommandLine& line);
    // The value of --database, or of DatabaseVariable when the option is missing.
    static QString database(const CommandLine& line);

    // The refusal of a login that lacks the database, lacks a company the command needs
    // or gives a company that is no code; empty when the login can be tried.
    static QString problem(const Login& login, bool needsCompany);
    static QString missingDatabase();

    // Removes the variables from the environment, so that no program started from this
    // one inherits them.
    static void clearEnvironment();
};

} // namespace tavrel
