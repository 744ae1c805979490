// The print actions of the maintenance window.
#include "UVeZezev.h"

#include "DVeZezev.h"
#include "FormatSettings.h"
#include "ImpresionRelacion.h"
#include "ModuleError.h"
#include "ReportRenderer.h"
#include "ReporteRelacion.h"
#include "VariablesRelacion.h"

// Preview, print or printer set-up, by the button or menu item that was used. The
// report is laid out anew from the company and relation datasets as they stand.
void TFrmVeZezev::BtnReporteClick(QObject* Sender)
{
    if (!m_impresion)
        m_impresion =
            std::make_unique<ImpresionRelacion>([this] { return PrepararReporte(); }, this);
    m_impresion->BtnReporteClick(Sender);
}

void TFrmVeZezev::ExportarPdf(const QString& archivo)
{
    const tavrel::report::LaidOutDocument paginas = PrepararReporte();
    if (!tavrel::report::ReportRenderer(paginas).exportPdf(archivo))
        throw tavrel::ModuleError(
            QStringLiteral("El informe no tiene páginas; no se escribió «%1».").arg(archivo));
}

tavrel::report::LaidOutDocument TFrmVeZezev::PrepararReporte()
{
    if (!DtmVeZezev)
        throw tavrel::ModuleError(QStringLiteral("El módulo de datos de la relación no existe; no "
                                                 "se puede preparar el informe."));
    if (!m_reporte)
        m_reporte = std::make_unique<ReporteRelacion>();
    VariablesRelacion variables{CodiUsua(), NomProg(),
                                tavrel::FormatSettings::instance().shortDateFormat(),
                                DtmVeZezev->gStCamRela};
    variables.leerCamRela = [] { return DtmVeZezev ? DtmVeZezev->gStCamRela : QString(); };
    return m_reporte->PrepareReport(*CdsGnEmpre, *DtmVeZezev->QryVeZEZev, variables);
}
