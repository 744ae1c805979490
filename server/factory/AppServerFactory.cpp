#include "AppServerFactory.h"

#include "LocalAppServer.h"
#include "ModuleError.h"

namespace tavrel {

std::shared_ptr<IAppServer> AppServerFactory::connect(const QString& protocol,
                                                      const QString& database)
{
    const QString p = protocol.trimmed().toLower();
    if (!p.isEmpty() && p != QLatin1String("local")) {
        throw ModuleError(QStringLiteral("El protocolo de conexión '%1' no está disponible en "
                                         "esta instalación; use 'local'")
                              .arg(protocol),
                          ModuleError::Kind::Connection);
    }
    if (database.trimmed().isEmpty()) {
        throw ModuleError(
            QStringLiteral("La sesión no indica la base de datos del servidor de aplicaciones"),
            ModuleError::Kind::Connection);
    }
    return LocalAppServer::connect(database.trimmed());
}

} // namespace tavrel
