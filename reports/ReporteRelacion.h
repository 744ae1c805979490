#pragma once

#include "LaidOutDocument.h"
#include "Report.h"
#include "VariablesRelacion.h"

#include <QDateTime>

#include <memory>

class SClientDataSet;

namespace tavrel::report {
class DataSetBinding;
class LayoutEngine;
class ReportDataSource;
class ReportRun;
} // namespace tavrel::report

// The relation report frxRptVeZezev: one closed block per relation row under a page
// header with the company's logo, name and NIT, and a footer with program and user.
// Its data sources are the company ("QryGnEmpre": NOM_EMPR, NIT_EMPR, BMP_REPO) and
// the relation ("QryVeZezev").
class ReporteRelacion
{
public:
    static const QString NombreEmpresa;  // "QryGnEmpre"
    static const QString NombreRelacion; // "QryVeZezev"

    ReporteRelacion();
    ~ReporteRelacion();
    ReporteRelacion(ReporteRelacion&&) noexcept;
    ReporteRelacion& operator=(ReporteRelacion&&) noexcept;

    tavrel::report::Report& frxRptVeZezev() { return *m_report; }
    const tavrel::report::Report& frxRptVeZezev() const { return *m_report; }

    // A run that lays the pages out anew, one at a time, from the two sources as they
    // stand (see ReportRun). `momento` is the run time shown by [DATE] and [TIME];
    // invalid means now. Errors of the layout (a field missing from a source) are thrown
    // as tavrel::ModuleError. The sources must outlive the run.
    std::unique_ptr<tavrel::report::ReportRun>
    StartReport(tavrel::report::ReportDataSource& empresa,
                tavrel::report::ReportDataSource& relacion, const VariablesRelacion& variables,
                const QDateTime& momento = {});
    // The same over the datasets of the two bindings, which the data module holds; each
    // dataset is back on its row when the run ends.
    std::unique_ptr<tavrel::report::ReportRun>
    StartReport(const tavrel::report::DataSetBinding& empresa,
                const tavrel::report::DataSetBinding& relacion, const VariablesRelacion& variables,
                const QDateTime& momento = {});

    // Every page at once over the company and relation datasets, each back on its row
    // afterwards; for short reports.
    tavrel::report::LaidOutDocument PrepareReport(SClientDataSet& empresa, SClientDataSet& relacion,
                                                  const VariablesRelacion& variables,
                                                  const QDateTime& momento = {});

private:
    tavrel::report::LayoutEngine Motor(const VariablesRelacion& variables,
                                       const QDateTime& momento) const;
    void CrearEncabezado();
    void CrearBloque();
    void CrearPie();

    std::unique_ptr<tavrel::report::Report> m_report;
};
