#pragma once

#include "OpcionesReporteLegado.h"
#include "Report.h"

#include <QWidget>

class SClientDataSet;

// The suite's master report template: a banded layout with the company header, the
// audit columns of the records, their count and the footer. Report forms inherit it
// and add their own detail. Never shown; it holds the layout for whoever prints it.
//
// Texts without a given width (the engine's labels size themselves) are measured with
// their font; data texts run to the next object of their row.
class TRptReporteMaestro : public QWidget
{
    Q_OBJECT

public:
    explicit TRptReporteMaestro(QWidget* parent = nullptr);
    ~TRptReporteMaestro() override;

    tavrel::report::Report QCKReporte;
    OpcionesComponenteReporte QCKReporteOpciones;
    SClientDataSet* QryEmpresa = nullptr;
    SClientDataSet* QryTemp = nullptr;
    DialogoConfiguracionImpresora PrinterSetupDialog1;
    FiltroTextoQR QRTextFilter1;
    FiltroHtmlQR QRHTMLFilter1;
    FiltroCsvQR QRCSVFilter1;

    // The object of that name in that band; throws ModuleError when there is none.
    tavrel::report::ReportObject& objeto(const QString& banda, const QString& nombre) const;
    tavrel::report::TextObject& texto(const QString& banda, const QString& nombre) const;

    Q_INVOKABLE void FormCreate();
    Q_INVOKABLE void QCKReporteBeforePrint(bool& PrintReport);

protected:
    static tavrel::report::FontSpec fuente(qreal alto, bool negrita = false, bool cursiva = false);
    // A label as wide and high as its text in its font.
    static tavrel::report::TextObject& etiqueta(tavrel::report::Band& banda, const QString& nombre,
                                                const QPointF& posicion, const QString& texto,
                                                const tavrel::report::FontSpec& fuente);
    // A text of the given width, as high as one line of its font.
    static tavrel::report::TextObject& textoDatos(tavrel::report::Band& banda,
                                                  const QString& nombre, const QPointF& posicion,
                                                  qreal ancho, const QString& texto,
                                                  const tavrel::report::FontSpec& fuente);
    // Gives a text a new font and, for a label, the size of its text in it.
    static void cambiarFuente(tavrel::report::TextObject& texto,
                              const tavrel::report::FontSpec& fuente, bool ajustarAncho);
    // Makes a text as wide as `muestra` in its font.
    static void ajustarAncho(tavrel::report::TextObject& texto, const QString& muestra);
    static void mover(tavrel::report::ReportObject& objeto, const QPointF& posicion);

private:
    void CrearEncabezado();
    void CrearEncabezadoColumnas();
    void CrearDetalle();
    void CrearResumen();
    void CrearPie();
};
