#include "CausedRun.h"

#include "ActualizacionCausado.h"
#include "DVeZezev.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "ServidorCausado.h"

#include <QDateTime>

namespace tavrel::bench {

struct CausedRun::Private
{
    SDCOMConnection connection;
    TDtmVeZezev dataModule; // its QryNmVarig and QryTemporal, without a window
    QString user;
};

CausedRun::CausedRun(std::shared_ptr<IAppServer> server, const QString& user)
    : d(std::make_unique<Private>())
{
    d->user = user;
    d->connection.setAppServer(std::move(server));
    d->dataModule.QryNmVarig->setRemoteServer(&d->connection);
    d->dataModule.QryTemporal->setRemoteServer(&d->connection);
}

CausedRun::~CausedRun() = default;

void CausedRun::run()
{
    ActualizacionCausado::ejecutar(
        ServidorCausado::puertos(d->connection, *d->dataModule.QryNmVarig,
                                 *d->dataModule.QryTemporal),
        QDateTime::currentDateTime(), d->user, QStringLiteral("N"), QStringLiteral("dd/MM/yyyy"));
}

} // namespace tavrel::bench
