#include "HostSession.h"

#include "AppServerFactory.h"
#include "ModuleError.h"

#include <QVariantList>

namespace tavrel {

void HostSession::verifyLogin() const
{
    if (database.trimmed().isEmpty())
        throw ModuleError(QStringLiteral("Indique la base de datos o el servidor."));
    if (user.trimmed().isEmpty())
        throw ModuleError(QStringLiteral("Indique el usuario."));
    const auto server = AppServerFactory::connect(protocol, database, {user.trimmed(), password});
    // A network server has checked the password at its login.
    if (AppServerFactory::isNetwork(protocol))
        return;
    QVariantList args{user.trimmed().toUpper(), password, QString()};
    const QVariant status = server->invoke(QStringLiteral("ValidarUsuario"), args);
    if (status.toInt() != 0)
        throw ModuleError(QStringLiteral("Usuario o contraseña incorrectos."));
}

} // namespace tavrel
