#include "ServidorDemo.h"

#include "ModuleError.h"

using tavrel::ModuleError;

namespace {

[[noreturn]] void fallar(const QString& nombre)
{
    throw ModuleError(QStringLiteral("el servidor no responde a %1").arg(nombre),
                      ModuleError::Kind::Server);
}

} // namespace

ServidorDemo::ServidorDemo(std::shared_ptr<tavrel::IAppServer> real) : m_real(std::move(real)) {}

tavrel::DataPacket ServidorDemo::open(const QString& provider, const QString& commandText,
                                      const tavrel::ParamList& params)
{
    llamadas << QStringLiteral("open ") + provider;
    if (alAbrir)
        alAbrir(provider);
    if (!proveedorQueFalla.isEmpty() && provider == proveedorQueFalla)
        fallar(provider);
    return m_real->open(provider, commandText, params);
}

QList<qint64> ServidorDemo::applyUpdates(const QString& provider, const tavrel::Delta& delta)
{
    llamadas << QStringLiteral("apply ") + provider;
    return m_real->applyUpdates(provider, delta);
}

QVariant ServidorDemo::invoke(const QString& method, QVariantList& args)
{
    llamadas << QStringLiteral("invoke ") + method;
    if (!metodoQueFalla.isEmpty() && method == metodoQueFalla)
        fallar(method);
    if (responder && responder(method, args))
        return QVariant();
    return m_real->invoke(method, args);
}

QList<tavrel::BatchAnswer> ServidorDemo::batch(const QList<tavrel::BatchCall>& calls)
{
    QStringList partes;
    for (const tavrel::BatchCall& c : calls)
        partes << (c.kind == tavrel::BatchCall::Kind::Open ? QStringLiteral("open ")
                                                           : QStringLiteral("invoke ")) +
                      c.name;
    llamadas << QStringLiteral("batch ") + partes.join(u'+');
    if (!alAbrir && !responder && metodoQueFalla.isEmpty() && proveedorQueFalla.isEmpty())
        return m_real->batch(calls);
    const qsizetype antes = llamadas.size();
    QList<tavrel::BatchAnswer> respuestas = IAppServer::batch(calls);
    llamadas.resize(antes);
    return respuestas;
}

std::optional<QString> ServidorDemo::verifiedLogin(const QString& user,
                                                   const QString& password) const
{
    return m_real->verifiedLogin(user, password);
}

QString ServidorDemo::description() const
{
    return m_real->description();
}
