#include "SessionConnection.h"

#include "AppServerFactory.h"
#include "IAppServer.h"

namespace tavrel {

SessionConnection::SessionConnection(HostSession session, std::shared_ptr<IAppServer> server)
    : m_session(std::move(session)), m_server(std::move(server))
{
}

std::shared_ptr<IAppServer> SessionConnection::server()
{
    if (!m_server)
        m_server = AppServerFactory::connect(m_session.protocol, m_session.database,
                                             {m_session.user, m_session.password});
    return m_server;
}

std::shared_ptr<IAppServer> SessionConnection::connect(const QString& protocol,
                                                      const QString& database)
{
    if (protocol.compare(m_session.protocol, Qt::CaseInsensitive) == 0 &&
        database == m_session.database)
        return server();
    return AppServerFactory::connect(protocol, database, {m_session.user, m_session.password});
}

} // namespace tavrel
