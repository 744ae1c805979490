#pragma once

#include <QString>
#include <QVariant>

#include <functional>

// What the relation report asks for while it is prepared, as the maintenance form and
// the data module know it at that moment.
struct VariablesRelacion
{
    QString gStCodUsua;    // the user code (CodiUsua of the maintenance form)
    QString gStNomProg;    // the program code (NomProg of the maintenance form)
    QString gStDateFormat; // the process-wide short date format
    // The data module's gStCamRela: the code column of the configured related-field
    // kind ("cod_tnom"), not yet the caption the report shows for it.
    QString gStCamRela;
    // When set, the kind is read from here at each request instead: the data module
    // configures it while the report walks the rows, as their calculated fields run.
    std::function<QString()> leerCamRela = nullptr;

    // The report's variable callback. Names are compared exactly; gStCamRela receives
    // the caption of the configured column, and a column without caption, like any
    // other variable, leaves Value as the report passed it.
    void frxRptVeZezevGetValue(const QString& VarName, QVariant& Value) const;
};
