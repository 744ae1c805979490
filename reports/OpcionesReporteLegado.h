#pragma once

#include <QChar>
#include <QSize>
#include <QString>
#include <QStringList>

// Settings of the legacy banded report forms that the layout itself does not carry.

// The report component beyond its page and bands: columns, units, which pages carry
// header and footer, the preview, the saving format and the report functions.
struct OpcionesComponenteReporte
{
    int columnas = 1;
    QString unidades = QStringLiteral("mm");
    bool encabezadoEnPrimeraPagina = true; // the page header prints on the first page too
    bool pieEnUltimaPagina = true;         // the page footer prints on the last page too
    QSize vistaPrevia{500, 500};
    bool vistaPreviaAjustada = true;                    // zoomed to fit
    QString formatoGuardado = QStringLiteral("propio"); // the engine's own page stream
    QStringList funciones{QStringLiteral("PAGENUMBER"), QStringLiteral("COLUMNNUMBER"),
                          QStringLiteral("REPORTTITLE")};
};

// The printer set-up dialog: the printer it chose; empty is the default printer.
struct DialogoConfiguracionImpresora
{
    QString impresora;
};

// Export filters. An empty encoding is the system's default.
struct FiltroTextoQR
{
    QString codificacion;
};

struct FiltroHtmlQR
{
    bool unaPagina = true;
    bool enlacesEntrePaginas = false;
    QString fuenteEnlaces = QStringLiteral("Arial");
    int tamanoFuenteEnlaces = 12;
    QString codificacion = QStringLiteral("ANSI");
};

struct FiltroCsvQR
{
    QChar separador = QLatin1Char(',');
    QString codificacion;
};
