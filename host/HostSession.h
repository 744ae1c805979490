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

    // Checks user and password against the server's users and returns the companies
    // the user may work in, by code. Throws ModuleError with a message for the user when
    // the database cannot be reached or the login is refused.
    QList<HostCompany> verifyLogin() const;
    // Logs in as verifyLogin does, refuses the session's company (when one is given) if
    // the user may not work in it, and connects to the session's server.
    std::shared_ptr<IAppServer> connectToCompany() const;
};

} // namespace tavrel
