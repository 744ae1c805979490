#pragma once

#include <QList>
#include <QString>

// A related-field kind: what the related code COD_CCOS of a relation row names,
// according to the CAM_RELA of its accounting concept. The catalogue holds the four
// kinds the module knows, in the order in which they are matched.
struct TipoCampoRelacionado
{
    QString clave;       // the CAM_RELA value of the concepts of this kind
    QString titulo;      // caption of the window's related-field label
    QString tabla;       // list table, lower case
    QString campoCodigo; // code column of the list
    QString campoNombre; // name column of the list
    QString tituloLista; // title of the related-field picker
    QString textoSelect; // list query without the company condition

    static const QList<TipoCampoRelacionado>& catalogo();
    // The kind whose key equals the value exactly (case and every character count);
    // null when there is none.
    static const TipoCampoRelacionado* buscar(const QString& camRela);
};
