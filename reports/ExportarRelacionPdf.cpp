#include "ExportarRelacionPdf.h"

#include "ReportRenderer.h"
#include "ReporteRelacion.h"

int ExportarRelacionPdf(const QString& archivo, tavrel::report::ReportDataSource& empresa,
                        tavrel::report::ReportDataSource& relacion,
                        const VariablesRelacion& variables, const QDateTime& momento)
{
    ReporteRelacion reporte;
    const tavrel::report::LaidOutDocument paginas =
        reporte.PrepareReport(empresa, relacion, variables, momento);
    if (!tavrel::report::ReportRenderer(paginas).exportPdf(archivo))
        return 0;
    return int(paginas.pages.size());
}
