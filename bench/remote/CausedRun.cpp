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
    TDtmVeZezev dataModule;
};

CausedRun::CausedRun(std::shared_ptr<IAppServer> server) : d(std::make_unique<Private>())
{
    d->connection.setAppServer(std::move(server));
    d->dataModule.QryNmVarig->setRemoteServer(&d->connection);
    d->dataModule.QryTemporal->setRemoteServer(&d->connection);
}

CausedRun::~CausedRun() = default;

void CausedRun::run()
{
    ActualizacionCausado::ejecutar(ServidorCausado::puertos(d->connection,
                                                            *d->dataModule.QryNmVarig,
                                                            *d->dataModule.QryTemporal),
                                   QDateTime::currentDateTime(), QStringLiteral("JPEREZ"),
                                   QStringLiteral("N"), QStringLiteral("dd/MM/yyyy"));
}

} // namespace tavrel::bench
