#pragma once

#include <QList>
#include <QString>

#include <memory>

namespace tavrel {

class IAppServer;
struct Login;

// A company the user may work in, as the login offers it.
struct HostCompany
{
    int code = 0;
    QString name;
};

struct HostSession;

// A login that succeeded: the session's connection to the application server and the
// companies the user may work in.
struct HostLogin
{
    std::shared_ptr<IAppServer> server;
    QList<HostCompany> companies;
};

// The user's session as the host hands it to a module's load entry.
struct HostSession
{
    QString protocol = QStringLiteral("local");
    QString alias;
    QString database; // server argument: SQLite file or postgresql:// URL
    QString user;
    QString password;
    QString company;
    QString hostParameters;
    QString clientVersion;

    static HostSession forLogin(const Login& login); // what a command line gave

    // Checks user and password against the server's users and returns the connection
    // with the companies the user may work in, by code. Throws ModuleError with a message
    // for the user when the database cannot be reached or the login is refused.
    HostLogin logIn() const;
    // Logs in, refuses the session's company (when one is given) if the user may not
    // work in it, and returns the login's connection.
    std::shared_ptr<IAppServer> connectToCompany() const;
};

} // namespace tavrel
