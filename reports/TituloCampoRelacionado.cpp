#include "TituloCampoRelacionado.h"

QString TituloCampoRelacionado(const QString& columnaCodigo)
{
    if (columnaCodigo == u"cod_ccos")
        return QStringLiteral("Centro de Costo");
    if (columnaCodigo == u"cod_tnom")
        return QStringLiteral("Clase de Nómina");
    if (columnaCodigo == u"cod_gpro")
        return QStringLiteral("Grupo de Prototipos");
    if (columnaCodigo == u"cod_gast")
        return QStringLiteral("Gasto Contable");
    return QString();
}
