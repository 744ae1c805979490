// The caused-value update of the maintenance window.
#include "UVeZezev.h"

#include "ActualizacionCausado.h"
#include "DVeZezev.h"
#include "FormatSettings.h"
#include "ModuleError.h"
#include "ServidorCausado.h"
#include "SessionGlobals.h"

#include <QDateTime>

// Rewrites VAL_CAUS of every relation row on the server. The relation on the window is
// not read again; errors are thrown to the caller, which shows them.
void TFrmVeZezev::ActualizarCausado()
{
    if (!DtmVeZezev)
        throw tavrel::ModuleError(QStringLiteral("El módulo de datos de la relación no existe; "
                                                 "no se puede actualizar el valor causado."));
    const ActualizacionCausado::Servidor servidor =
        ServidorCausado::puertos(*DCOMCnction, *DtmVeZezev->QryNmVarig, *DtmVeZezev->QryTemporal);
    ActualizacionCausado::ejecutar(servidor, QDateTime::currentDateTime(), gStCodiUsua,
                                   DtmVeZezev->gStDigiDian,
                                   tavrel::FormatSettings::instance().shortDateFormat());
}
