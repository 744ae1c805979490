// The code pickers of the maintenance window: each checks what the pick needs, writes
// the lookup query into its picker and runs the lookup dialog, which writes the chosen
// code into the relation row.
#include "UVeZezev.h"

#include "ConsultasSelectores.h"
#include "DBEdit.h"
#include "DLLUFORM.h"
#include "DVeZezev.h"
#include "Field.h"
#include "ModuleApplication.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "TVPField.h"

using Paso = ConsultasSelectores::Paso;

namespace {

int empresaActual()
{
    const auto* app = tavrel::ModuleApplication::instance();
    return app ? app->tag() : 0;
}

SClientDataSet* relacion()
{
    if (!DtmVeZezev)
        throw tavrel::ModuleError(
            QStringLiteral("El módulo de datos de la relación no está cargado"));
    return DtmVeZezev->QryVeZEZev;
}

bool codContNulo(SClientDataSet* ds)
{
    return ds->fieldByName(QStringLiteral("COD_CONT"))->isNull();
}

void ejecutarCaptura(TVPField* picker)
{
    if (!Captura)
        throw tavrel::ModuleError(QStringLiteral("El diálogo de búsqueda no está cargado"));
    Captura->EjecutarCaptura(picker);
}

} // namespace

void TFrmVeZezev::VPFieldCodCuenClick(QObject*)
{
    SClientDataSet* ds = relacion();
    switch (ConsultasSelectores::pasoCuenta(ds->state(), codContNulo(ds))) {
    case Paso::Abrir:
        break;
    case Paso::FaltaCuenta:
        DBEdtCodCont->setFocus(Qt::OtherFocusReason);
        throw tavrel::ModuleError(ConsultasSelectores::mensajeCuenta());
    default:
        return;
    }
    const QString codCont = ds->fieldByName(QStringLiteral("COD_CONT"))->asString();
    VPFieldCodCuen->setSQL({ConsultasSelectores::cuentas(empresaActual(), codCont)});
    ejecutarCaptura(VPFieldCodCuen);
}

void TFrmVeZezev::VPFieldCodContClick(QObject*)
{
    if (ConsultasSelectores::pasoConcepto(relacion()->state()) != Paso::Abrir)
        return;
    VPFieldCodCont->setSQL({ConsultasSelectores::conceptos(empresaActual())});
    ejecutarCaptura(VPFieldCodCont);
}

void TFrmVeZezev::VPFCamRelaClick(QObject*)
{
    if (ConsultasSelectores::pasoRelacionado(codContNulo(relacion())) != Paso::Abrir)
        throw tavrel::ModuleError(ConsultasSelectores::mensajeRelacionado());
    VPFCamRela->sql().clear();
    VPFCamRela->sql().append(ConsultasSelectores::relacionados(
        DtmVeZezev->gStTabRela, DtmVeZezev->gStCamRela, DtmVeZezev->gStNomRela, empresaActual()));
    ejecutarCaptura(VPFCamRela);
}

void TFrmVeZezev::DBEdtCodCuenEnter(QObject*)
{
    if (ConsultasSelectores::pasoEntradaCuenta(codContNulo(relacion())) != Paso::FaltaCuenta)
        return;
    DBEdtCodCont->setFocus(Qt::OtherFocusReason);
    throw tavrel::ModuleError(ConsultasSelectores::mensajeCuenta());
}
