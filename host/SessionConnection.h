#pragma once

#include "HostSession.h"

#include <memory>

namespace tavrel {

class IAppServer;

// The one connection of a host's session to the application server. The host's window,
// its headless commands, the modules it loads and their desk tools all share it, so a
// session through the network server logs in once.
class SessionConnection
{
public:
    // `server` is the login's connection, if there is one already.
    explicit SessionConnection(HostSession session, std::shared_ptr<IAppServer> server = {});

    // The session's connection, made with the session's login when first asked for.
    std::shared_ptr<IAppServer> server();
    // What a module asking for a server gets: the session's connection for the session's
    // protocol and database, a connection of its own with the same login for any other.
    std::shared_ptr<IAppServer> connect(const QString& protocol, const QString& database);

private:
    HostSession m_session;
    std::shared_ptr<IAppServer> m_server;
};

} // namespace tavrel
