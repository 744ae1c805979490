// The print actions of the maintenance window.
#include "UVeZezev.h"

#include "DVeZezev.h"
#include "FormatSettings.h"
#include "ImpresionRelacion.h"
#include "ModuleError.h"
#include "ReporteRelacion.h"
#include "VariablesRelacion.h"

// Preview, print or printer set-up, by the button or menu item that was used. The
// report is laid out anew from the company and relation datasets as they stand.
void TFrmVeZezev::BtnReporteClick(QObject* Sender)
{
    if (!m_impresion) {
        m_reporte = std::make_unique<ReporteRelacion>();
        m_impresion = std::make_unique<ImpresionRelacion>(
            [this] {
                if (!DtmVeZezev)
                    throw tavrel::ModuleError(
                        QStringLiteral("El módulo de datos de la relación no existe; no se "
                                       "puede preparar el informe."));
                const VariablesRelacion variables{
                    CodiUsua(), NomProg(), tavrel::FormatSettings::instance().shortDateFormat(),
                    DtmVeZezev->gStCamRela};
                return m_reporte->PrepareReport(*CdsGnEmpre, *DtmVeZezev->QryVeZEZev, variables);
            },
            this);
    }
    m_impresion->BtnReporteClick(Sender);
}
