#include "ImpresionRelacion.h"

#include "RenderProgress.h"
#include "ReportPreviewDialog.h"
#include "ReportRenderer.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

using tavrel::report::ReportRun;

ImpresionRelacion::ImpresionRelacion(Preparar preparar, QPrinter& impresora, QWidget* ventana)
    : m_preparar(std::move(preparar)), m_ventana(ventana), m_impresora(impresora)
{
    m_mostrarVistaPrevia = [this](std::unique_ptr<ReportRun> paginas) {
        tavrel::report::ReportPreviewDialog vista(std::move(paginas), m_ventana);
        vista.setSelectedPrinter(&m_impresora);
        vista.exec();
    };
    m_configurarImpresora = [this](QPrinter& impresora) {
        // Qt's print dialog chooses the printer and its paper; here it only sets them up,
        // so it says so and has no page range.
        QPrintDialog dialogo(&impresora, m_ventana);
        dialogo.setWindowTitle(QStringLiteral("Configurar impresora"));
        dialogo.setOptions(QAbstractPrintDialog::PrintToFile |
                           QAbstractPrintDialog::PrintShowPageSize);
        if (auto* botones = dialogo.findChild<QDialogButtonBox*>()) {
            if (QPushButton* aceptar = botones->button(QDialogButtonBox::Ok))
                aceptar->setText(QStringLiteral("Aceptar"));
        }
        dialogo.exec();
    };
}

ImpresionRelacion::~ImpresionRelacion() = default;

void ImpresionRelacion::setMostrarVistaPrevia(MostrarVistaPrevia mostrar)
{
    m_mostrarVistaPrevia = std::move(mostrar);
}

void ImpresionRelacion::setConfigurarImpresora(ConfigurarImpresora configurar)
{
    m_configurarImpresora = std::move(configurar);
}

void ImpresionRelacion::BtnReporteClick(const QString& sender)
{
    if (sender == u"spbPreview" || sender == u"Imprimir3")
        ShowReport();
    else if (sender == u"spbReporte" || sender == u"Imprimir1")
        Print();
    else if (sender == u"PrepararPgina1")
        EjecutarPrinterSetupDialog();
}

void ImpresionRelacion::BtnReporteClick(const QObject* sender)
{
    if (sender)
        BtnReporteClick(sender->objectName());
}

void ImpresionRelacion::ShowReport()
{
    m_mostrarVistaPrevia(m_preparar());
}

void ImpresionRelacion::Print()
{
    const std::unique_ptr<ReportRun> paginas = m_preparar();
    tavrel::report::RenderProgress progreso(m_ventana, QStringLiteral("Imprimir"));
    tavrel::report::ReportRenderer impresion(*paginas);
    impresion.setProgress(progreso.callback());
    impresion.print(&m_impresora);
}

void ImpresionRelacion::EjecutarPrinterSetupDialog()
{
    m_configurarImpresora(m_impresora);
}
