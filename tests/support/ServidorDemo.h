#pragma once

#include "IAppServer.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// An application server that passes every call to a real one, with a window into it for
// the tests: the late-bound method or the provider it is told to fail is refused with a
// server error, a late-bound call can be answered by the test, and a hook sees each
// provider opened.
class ServidorDemo : public tavrel::IAppServer
{
public:
    explicit ServidorDemo(std::shared_ptr<tavrel::IAppServer> real);

    tavrel::DataPacket open(const QString& provider, const QString& commandText,
                            const tavrel::ParamList& params) override;
    QList<qint64> applyUpdates(const QString& provider, const tavrel::Delta& delta) override;
    QVariant invoke(const QString& method, QVariantList& args) override;
    // Passed on whole, as one call; while a test watches or fails calls, they are made
    // one by one here, and still counted as one.
    QList<tavrel::BatchAnswer> batch(const QList<tavrel::BatchCall>& calls) override;
    std::optional<QString> verifiedLogin(const QString& user,
                                         const QString& password) const override;
    QString description() const override;

    QString metodoQueFalla;
    QString proveedorQueFalla;
    std::function<void(const QString& provider)> alAbrir;
    // Answers a call in place of the server when it returns true.
    std::function<bool(const QString& method, QVariantList& args)> responder;
    // Every call that reached it, in order: "open <provider>", "apply <provider>",
    // "invoke <method>", "batch <open provider|invoke method>+...".
    QStringList llamadas;

private:
    std::shared_ptr<tavrel::IAppServer> m_real;
};
