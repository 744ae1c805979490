#pragma once

#include "ReportRun.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QObject;
class QPrinter;
class QWidget;

// The report actions of the maintenance form (BtnReporteClick): preview, print to the
// selected printer without a dialog (a long print shows its progress and can be
// cancelled), or the printer set-up. Preview and print lay the
// pages out anew each time through `preparar`. The printer is the caller's, so that
// its set-up outlives the actions: the set-up changes it, the print button and the
// preview's print both print on it.
//
// The windows are replaceable, so that a caller without a screen (or a test) can see
// what would be shown: by default the preview is a modal ReportPreviewDialog and the
// set-up a modal print dialog that only chooses and sets up the printer, both over
// `ventana`.
class ImpresionRelacion
{
public:
    using Preparar = std::function<std::unique_ptr<tavrel::report::ReportRun>()>;
    using MostrarVistaPrevia =
        std::function<void(std::unique_ptr<tavrel::report::ReportRun> paginas)>;
    using ConfigurarImpresora = std::function<void(QPrinter& impresora)>;

    ImpresionRelacion(Preparar preparar, QPrinter& impresora, QWidget* ventana = nullptr);
    ~ImpresionRelacion();
    ImpresionRelacion(const ImpresionRelacion&) = delete;
    ImpresionRelacion& operator=(const ImpresionRelacion&) = delete;

    // The selected printer, which the set-up changes.
    QPrinter& impresora() const { return m_impresora; }

    void setMostrarVistaPrevia(MostrarVistaPrevia mostrar);
    void setConfigurarImpresora(ConfigurarImpresora configurar);

    // Acts on the name of the action that was triggered:
    //   spbPreview, Imprimir3   preview
    //   spbReporte, Imprimir1   print without a dialog
    //   PrepararPgina1          printer set-up only
    // Any other sender does nothing. Errors (no printer, a field missing from the data)
    // are thrown as tavrel::ModuleError for the form's error display.
    void BtnReporteClick(const QString& sender);
    void BtnReporteClick(const QObject* sender);

    void ShowReport();
    void Print();
    void EjecutarPrinterSetupDialog();

private:
    Preparar m_preparar;
    QPointer<QWidget> m_ventana;
    QPrinter& m_impresora;
    MostrarVistaPrevia m_mostrarVistaPrevia;
    ConfigurarImpresora m_configurarImpresora;
};
