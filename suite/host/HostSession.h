#pragma once

#include <QString>

namespace tavrel {

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

    // Checks user and password against the server's users. Throws ModuleError with a
    // message for the user when the database cannot be reached or the login is refused.
    void verifyLogin() const;
};

} // namespace tavrel
