#include "ModuloDemo.h"

#include "DeskConnection.h"
#include "Field.h"
#include "SClientDataSet.h"
#include "SessionGlobals.h"
#include "TVsCmbCodigo.h"

using tavrel::test::TestDatabase;

ModuloDemo::ModuloDemo(const QString& usuario, const QString& clave, const QString& empresa)
    : db(std::make_unique<TestDatabase>(TestDatabase::Content::Demo)),
      servicios({.connectServer =
                     [this](const QString& protocol, const QString& server) {
                         servidor = std::make_shared<ServidorDemo>(
                             tavrel::test::deskConnection()(protocol, server));
                         if (prepararServidor)
                             prepararServidor(*servidor);
                         return servidor;
                     },
                 .launchProgram = [this](const tavrel::ProgramRequest& r) { programas << r; }}),
      app(std::make_unique<tavrel::ModuleApplication>())
{
    app->setMessageSink([this](const QString& m, tavrel::MessageKind) { mensajes << m; });
    gStProtocolo = db->protocol();
    gStParSrv = db->server();
    gStParUsu = usuario;
    gStParPas = clave;
    gStParEmp = empresa;
    gStCodiUsua.clear();
    gStPassUsua.clear();
    gStTipoUsuario.clear();
    gStCodiEmpr.clear();
    gStNombProg.clear();
}

void ModuloDemo::crearFormas()
{
    dtm = DtmVeZezev = app->create<TDtmVeZezev>();
    dtm->DataModuleCreate();
    forma = FrmVeZezev = app->create<TFrmVeZezev>();
    dtm->EnlazarForma(forma->DCOMCnction, forma->CdsGnEmpre);
}

void ModuloDemo::abrir()
{
    crearFormas();
    forma->FormCreate();
}

void ModuloDemo::cambiarEmpresa(int empresa)
{
    forma->cmbEmpresa->seleccionarCodigo(QString::number(empresa));
    emit forma->cmbEmpresa->activated(forma->cmbEmpresa->currentIndex());
}

bool ModuloDemo::ubicar(const QVariant& concepto, const QVariant& relacionado)
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

QVariant ModuloDemo::valor(const char* campo) const
{
    return dtm->QryVeZEZev->fieldByName(QLatin1String(campo))->value();
}
