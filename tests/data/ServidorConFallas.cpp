#include "ServidorConFallas.h"

#include "ModuleError.h"

using tavrel::ModuleError;

ServidorConFallas::ServidorConFallas(std::unique_ptr<tavrel::IAppServer> real)
    : m_real(std::move(real))
{}

tavrel::DataPacket ServidorConFallas::open(const QString& provider, const QString& commandText,
                                           const tavrel::ParamList& params)
{
    if (!proveedorQueFalla.isEmpty() && provider == proveedorQueFalla) {
        ++llamadasFallidas;
        throw ModuleError(QStringLiteral("el servidor no responde a %1").arg(provider),
                          ModuleError::Kind::Server);
    }
    return m_real->open(provider, commandText, params);
}

QList<qint64> ServidorConFallas::applyUpdates(const QString& provider, const tavrel::Delta& delta)
{
    return m_real->applyUpdates(provider, delta);
}

QVariant ServidorConFallas::invoke(const QString& method, QVariantList& args)
{
    if (!metodoQueFalla.isEmpty() && method == metodoQueFalla) {
        ++llamadasFallidas;
        throw ModuleError(QStringLiteral("el servidor no responde a %1").arg(method),
                          ModuleError::Kind::Server);
    }
    return m_real->invoke(method, args);
}

QString ServidorConFallas::description() const
{
    return m_real->description();
}
