#include "AppServerFactory.h"

#include "LocalAppServer.h"
#include "ModuleError.h"
#include "RemoteAppServer.h"

namespace tavrel {

bool AppServerFactory::isNetwork(const QString& protocol)
{
    const QString p = protocol.trimmed().toLower();
    return p == QLatin1String("http") || p == QLatin1String("https");
}

std::shared_ptr<IAppServer> AppServerFactory::connect(const QString& protocol,
                                                      const QString& server, const Login& login)
{
    const QString p = protocol.trimmed().toLower();
    if (!p.isEmpty() && p != QLatin1String("local") && !isNetwork(p)) {
        throw ModuleError(QStringLiteral("El protocolo de conexión '%1' no está disponible en "
                                         "esta instalación; use 'local', 'http' o 'https'")
                              .arg(protocol),
                          ModuleError::Kind::Connection);
    }
    if (server.trimmed().isEmpty()) {
        throw ModuleError(
            QStringLiteral("La sesión no indica la base de datos del servidor de aplicaciones"),
            ModuleError::Kind::Connection);
    }
    if (isNetwork(p))
        return RemoteAppServer::login(p, server.trimmed(), login.user, login.password);
    std::unique_ptr<LocalAppServer> local = LocalAppServer::connect(server.trimmed());
    local->setUser(login.user);
    return local;
}

AppServerFactory::Connect AppServerFactory::forLogin(const Login& login)
{
    return [login](const QString& protocol, const QString& server) {
        return connect(protocol, server, login);
    };
}

} // namespace tavrel
