#include "RelacionFixture.h"

#include "Field.h"
#include "LocalAppServer.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "SessionGlobals.h"
#include "TVsCmbCodigo.h"

using tavrel::test::TestDatabase;

RelacionFixture::RelacionFixture(const QString& usuario, const QString& clave,
                                 const QString& empresa)
    : db(std::make_unique<TestDatabase>(TestDatabase::Content::Demo))
{
    app = std::make_unique<tavrel::ModuleApplication>();
    app->setMessageSink([this](const QString& m, tavrel::MessageKind) { mensajes << m; });
    gStProtocolo = QStringLiteral("local");
    gStParSrv = db->url();
    gStParUsu = usuario;
    gStParPas = clave;
    gStParEmp = empresa;
    gStCodiUsua.clear();
    gStPassUsua.clear();
    gStTipoUsuario.clear();
    gStCodiEmpr.clear();
}

RelacionFixture::~RelacionFixture()
{
    if (app && forma)
        app->closeAndDestroy(forma);
    app.reset();
    db.reset();
}

void RelacionFixture::abrir()
{
    dtm = app->create<TDtmVeZezev>();
    forma = app->create<TFrmVeZezev>();
    DtmVeZezev = dtm;
    FrmVeZezev = forma;
    dtm->DataModuleCreate();

    auto real = tavrel::LocalAppServer::connect(db->url());
    auto envoltorio = std::make_shared<ServidorConFallas>(std::move(real));
    servidor = envoltorio.get();
    forma->DCOMCnction->setAppServer(envoltorio);

    dtm->EnlazarForma(forma->DCOMCnction, forma->CdsGnEmpre);
    forma->FormCreate(nullptr);
}

void RelacionFixture::cambiarEmpresa(int empresa)
{
    forma->cmbEmpresa->seleccionarCodigo(QString::number(empresa));
    emit forma->cmbEmpresa->activated(forma->cmbEmpresa->currentIndex());
}

bool RelacionFixture::ubicar(const QVariant& concepto, const QVariant& relacionado)
{
    SClientDataSet* ds = dtm->QryVeZEZev;
    const int cont = ds->fieldByName(QStringLiteral("COD_CONT"))->index();
    const int ccos = ds->fieldByName(QStringLiteral("COD_CCOS"))->index();
    for (int fila = 0; fila < ds->recordCount(); ++fila) {
        if (ds->valueAt(fila, cont) == concepto && ds->valueAt(fila, ccos) == relacionado) {
            ds->setRecNo(fila + 1);
            return true;
        }
    }
    return false;
}

QVariant RelacionFixture::valor(const char* campo) const
{
    return dtm->QryVeZEZev->fieldByName(QLatin1String(campo))->value();
}
