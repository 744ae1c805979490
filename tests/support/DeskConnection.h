#pragma once

#include "AppServerFactory.h"
#include "SessionGlobals.h"

namespace tavrel::test {

// The connection service a host installs for the module: the server of the connection's
// protocol and server argument, logged in as the session's user and password when the
// connection opens, as the host does for its own login.
inline AppServerFactory::Connect deskConnection()
{
    return [](const QString& protocol, const QString& server) {
        return AppServerFactory::connect(protocol, server, {gStParUsu, gStParPas});
    };
}

} // namespace tavrel::test
