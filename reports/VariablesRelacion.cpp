#include "VariablesRelacion.h"

#include "TituloCampoRelacionado.h"

void VariablesRelacion::frxRptVeZezevGetValue(const QString& VarName, QVariant& Value) const
{
    if (VarName == u"gStDateFormat") {
        Value = gStDateFormat;
    } else if (VarName == u"gStCodUsua") {
        Value = gStCodUsua;
    } else if (VarName == u"gStNomProg") {
        Value = gStNomProg;
    } else if (VarName == u"gStCamRela") {
        const QString titulo = TituloCampoRelacionado(leerCamRela ? leerCamRela() : gStCamRela);
        if (!titulo.isNull())
            Value = titulo;
    }
}
