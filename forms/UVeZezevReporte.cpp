// The print actions of the maintenance window.
#include "UVeZezev.h"

#include "DVeZezev.h"
#include "FormatSettings.h"
#include "ImpresionRelacion.h"
#include "ModuleError.h"
#include "ReportRenderer.h"
#include "ReportRun.h"
#include "ReporteRelacion.h"
#include "VariablesRelacion.h"

namespace {

TDtmVeZezev& moduloDatos()
{
    if (!DtmVeZezev)
        throw tavrel::ModuleError(QStringLiteral("El módulo de datos de la relación no existe; no "
                                                 "se puede preparar el informe."));
    return *DtmVeZezev;
}

} // namespace

// Preview, print or printer set-up, by the button or menu item that was used, with the
// window's report and the data module's printer. The report is laid out anew from the
// company and relation datasets as they stand.
void TFrmVeZezev::BtnReporteClick(QObject* Sender)
{
    ImpresionRelacion impresion([this] { return PrepararReporte(); }, moduloDatos().Impresora(),
                                this);
    impresion.BtnReporteClick(Sender);
}

void TFrmVeZezev::ExportarPdf(const QString& archivo)
{
    // Laid out and written a page at a time, so that no length of report is held whole.
    const std::unique_ptr<tavrel::report::ReportRun> paginas = PrepararReporte();
    if (!tavrel::report::ReportRenderer(*paginas).exportPdf(archivo, moduloDatos().frxPDFExport1))
        throw tavrel::ModuleError(
            QStringLiteral("El informe no tiene páginas; no se escribió «%1».").arg(archivo));
}

std::unique_ptr<tavrel::report::ReportRun> TFrmVeZezev::PrepararReporte()
{
    TDtmVeZezev& datos = moduloDatos();
    VariablesRelacion variables{CodiUsua(), NomProg(),
                                tavrel::FormatSettings::instance().shortDateFormat(),
                                datos.gStCamRela};
    variables.leerCamRela = [] { return DtmVeZezev ? DtmVeZezev->gStCamRela : QString(); };
    if (!datos.frxRptVeZezev)
        throw tavrel::ModuleError(QStringLiteral("El reporte de la relación no está creado; "
                                                 "abra de nuevo la ventana."));
    return datos.frxRptVeZezev->StartReport(datos.frxDBDGnEmpre, datos.frxDBDVeZEZev, variables);
}
