#include "TipoCampoRelacionado.h"

const QList<TipoCampoRelacionado>& TipoCampoRelacionado::catalogo()
{
    static const QList<TipoCampoRelacionado> tipos{
        {QStringLiteral("COD_TNOM"), QStringLiteral("Clase de Nómina"), QStringLiteral("nm_tnomi"),
         QStringLiteral("cod_tnom"), QStringLiteral("nom_tnom"),
         QStringLiteral("Lista de Clases de Nómina"),
         QStringLiteral("select cod_empr, cod_tnom, nom_tnom from nm_tnomi")},
        {QStringLiteral("COD_GPRO"), QStringLiteral("Grupo de Prototipos"),
         QStringLiteral("nm_gprot"), QStringLiteral("cod_gpro"), QStringLiteral("nom_gpro"),
         QStringLiteral("Lista de Grupo de Prototipos"),
         QStringLiteral("select cod_empr, cod_gpro, nom_gpro from nm_gprot")},
        {QStringLiteral("COD_CCOS"), QStringLiteral("Centro de Costos"), QStringLiteral("gn_ccost"),
         QStringLiteral("cod_ccos"), QStringLiteral("nom_ccos"),
         QStringLiteral("Lista de Centros de Costos"),
         QStringLiteral("select cod_empr, cod_ccos, nom_ccos from gn_ccost")},
        {QStringLiteral("COD_GAST"), QStringLiteral("Gasto Contable"), QStringLiteral("nm_gacon"),
         QStringLiteral("cod_gast"), QStringLiteral("nom_gast"),
         QStringLiteral("Lista de Gastos Contable"),
         QStringLiteral("select cod_empr, cod_gast, nom_gast from nm_gacon")},
    };
    return tipos;
}

const TipoCampoRelacionado* TipoCampoRelacionado::buscar(const QString& camRela)
{
    // The key is an 8-character code compared byte for byte: "cod_ccos" or "COD_CCOS1"
    // name no kind.
    for (const TipoCampoRelacionado& tipo : catalogo()) {
        if (camRela == tipo.clave)
            return &tipo;
    }
    return nullptr;
}
