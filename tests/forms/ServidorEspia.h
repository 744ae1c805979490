#pragma once

#include "IAppServer.h"
#include "ModuleError.h"

#include <QStringList>
#include <functional>
#include <memory>

// The in-process application server with a window into it for the form tests: a
// late-bound method can be made to fail or be answered by the test, and a hook sees
// each provider opened.
class ServidorEspia : public tavrel::IAppServer
{
public:
    explicit ServidorEspia(std::unique_ptr<tavrel::IAppServer> real) : m_real(std::move(real)) {}

    tavrel::DataPacket open(const QString& provider, const QString& commandText,
                            const tavrel::ParamList& params) override
    {
        if (alAbrir)
            alAbrir(provider);
        return m_real->open(provider, commandText, params);
    }
    QList<qint64> applyUpdates(const QString& provider, const tavrel::Delta& delta) override
    {
        return m_real->applyUpdates(provider, delta);
    }
    QVariant invoke(const QString& method, QVariantList& args) override
    {
        if (method == falla)
            throw tavrel::ModuleError(QStringLiteral("El servidor no responde"),
                                      tavrel::ModuleError::Kind::Server);
        if (responder && responder(method, args))
            return QVariant();
        return m_real->invoke(method, args);
    }
    QString description() const override { return m_real->description(); }

    std::function<void(const QString& provider)> alAbrir;
    // Answers a call in place of the server when it returns true.
    std::function<bool(const QString& method, QVariantList& args)> responder;
    QString falla;

private:
    std::unique_ptr<tavrel::IAppServer> m_real;
};
