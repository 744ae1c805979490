#pragma once

#include "IAppServer.h"

#include <QString>
#include <functional>
#include <memory>

namespace tavrel {

// The application server for a session's protocol and server argument:
// - "local" (or an empty protocol) runs it in-process on the SQLite file or postgresql://
//   URL that the argument names;
// - "http" and "https" reach a tavrel-server at the argument's host:port and log in there
//   with the session's user and password.
class AppServerFactory
{
public:
    struct Login
    {
        QString user;
        QString password;
    };
    using Connect =
        std::function<std::shared_ptr<IAppServer>(const QString& protocol, const QString& server)>;

    // Throws ModuleError (Connection) for an unknown protocol, an empty server argument
    // or a server that cannot be reached; a refused login throws the server's refusal.
    static std::shared_ptr<IAppServer> connect(const QString& protocol, const QString& server,
                                               const Login& login = {});
    // The connection service of a session whose user logs in as `login`.
    static Connect forLogin(const Login& login);
    // True for the protocols whose server checks the login itself.
    static bool isNetwork(const QString& protocol);
};

} // namespace tavrel
