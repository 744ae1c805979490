#pragma once

#include "IAppServer.h"

#include <QString>
#include <memory>

// An application server that passes every call to a real one, except the late-bound
// method or the provider it is told to fail, which it refuses with a server error.
class ServidorConFallas : public tavrel::IAppServer
{
public:
    explicit ServidorConFallas(std::unique_ptr<tavrel::IAppServer> real);

    tavrel::DataPacket open(const QString& provider, const QString& commandText,
                            const tavrel::ParamList& params) override;
    QList<qint64> applyUpdates(const QString& provider, const tavrel::Delta& delta) override;
    QVariant invoke(const QString& method, QVariantList& args) override;
    QString description() const override;

    QString metodoQueFalla;
    QString proveedorQueFalla;
    int llamadasFallidas = 0;

private:
    std::unique_ptr<tavrel::IAppServer> m_real;
};
