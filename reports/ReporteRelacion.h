#pragma once

#include "LaidOutDocument.h"
#include "Report.h"
#include "VariablesRelacion.h"

#include <QDateTime>

#include <memory>

class SClientDataSet;

namespace tavrel::report {
class DataSetBinding;
class ReportDataSource;
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

    // Lays the pages out anew from the two sources as they stand. `momento` is the run
    // time shown by [DATE] and [TIME]; invalid means now. Errors of the layout (a field
    // missing from a source) are thrown as tavrel::ModuleError.
    tavrel::report::LaidOutDocument PrepareReport(tavrel::report::ReportDataSource& empresa,
                                                  tavrel::report::ReportDataSource& relacion,
                                                  const VariablesRelacion& variables,
                                                  const QDateTime& momento = {});
    // The same over the company and relation datasets, each back on its row afterwards.
    tavrel::report::LaidOutDocument PrepareReport(SClientDataSet& empresa, SClientDataSet& relacion,
                                                  const VariablesRelacion& variables,
                                                  const QDateTime& momento = {});
    // The same over the datasets of the two bindings, which the data module holds.
    tavrel::report::LaidOutDocument PrepareReport(const tavrel::report::DataSetBinding& empresa,
                                                  const tavrel::report::DataSetBinding& relacion,
                                                  const VariablesRelacion& variables,
                                                  const QDateTime& momento = {});

private:
    void CrearEncabezado();
    void CrearBloque();
    void CrearPie();

    std::unique_ptr<tavrel::report::Report> m_report;
};
