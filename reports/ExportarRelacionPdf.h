#pragma once

#include "VariablesRelacion.h"

#include <QDateTime>
#include <QString>

namespace tavrel::report {
class ReportDataSource;
}

// Writes the relation report to a PDF file, fonts embedded, from the company source
// ("QryGnEmpre") and the relation source ("QryVeZezev"). Returns the number of pages
// written. The file is replaced only when the whole report was written; layout and
// file errors are thrown as tavrel::ModuleError.
int ExportarRelacionPdf(const QString& archivo, tavrel::report::ReportDataSource& empresa,
                        tavrel::report::ReportDataSource& relacion,
                        const VariablesRelacion& variables, const QDateTime& momento = {});
