#include "ReportPreviewDialog.h"

#include "ModuleError.h"
#include "ReportRenderer.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace tavrel::report {

ReportPreviewDialog::ReportPreviewDialog(LaidOutDocument document, QWidget* parent)
    : QDialog(parent), m_document(std::move(document)),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setWindowTitle(m_document.title.isEmpty()
                       ? QStringLiteral("Vista previa")
                       : QStringLiteral("Vista previa - %1").arg(m_document.title));
    // The preview draws through its own engine; a PDF printer needs no print system.
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    ReportRenderer(m_document).setUpPrinter(m_printer.get());

    m_preview = new QPrintPreviewWidget(m_printer.get(), this);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* printer) {
        QPainter painter(printer);
        ReportRenderer(m_document).paint(painter, *printer);
    });
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this,
            &ReportPreviewDialog::updatePageLabel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolBar();
    layout->addWidget(m_preview, 1);
    resize(1000, 760);
    m_preview->fitToWidth();
    m_preview->updatePreview();
    updatePageLabel();
}

ReportPreviewDialog::~ReportPreviewDialog() = default;

void ReportPreviewDialog::buildToolBar()
{
    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const auto icon = [this](QStyle::StandardPixmap pixmap) {
        return style()->standardIcon(pixmap);
    };
    const auto add = [&](const QString& name, const QString& text, const QIcon& icon,
                         void (ReportPreviewDialog::*slot)(), bool iconOnly = false) {
        QAction* action = bar->addAction(icon, text);
        action->setObjectName(name);
        action->setToolTip(text);
        connect(action, &QAction::triggered, this, slot);
        if (iconOnly) {
            if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action)))
                button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        }
        return action;
    };
    add(QStringLiteral("actionPrimera"), QStringLiteral("Primera página"),
        icon(QStyle::SP_MediaSkipBackward), &ReportPreviewDialog::firstPage, true);
    add(QStringLiteral("actionAnterior"), QStringLiteral("Página anterior"),
        icon(QStyle::SP_MediaSeekBackward), &ReportPreviewDialog::previousPage, true);
    m_pageLabel = new QLabel(bar);
    m_pageLabel->setObjectName(QStringLiteral("labelPagina"));
    m_pageLabel->setContentsMargins(8, 0, 8, 0);
    bar->addWidget(m_pageLabel);
    add(QStringLiteral("actionSiguiente"), QStringLiteral("Página siguiente"),
        icon(QStyle::SP_MediaSeekForward), &ReportPreviewDialog::nextPage, true);
    add(QStringLiteral("actionUltima"), QStringLiteral("Última página"),
        icon(QStyle::SP_MediaSkipForward), &ReportPreviewDialog::lastPage, true);
    bar->addSeparator();
    QAction* zoomInAction =
        bar->addAction(QStringLiteral("Acercar"), this, &ReportPreviewDialog::zoomIn);
    zoomInAction->setObjectName(QStringLiteral("actionAcercar"));
    zoomInAction->setShortcut(QKeySequence::ZoomIn);
    QAction* zoomOutAction =
        bar->addAction(QStringLiteral("Alejar"), this, &ReportPreviewDialog::zoomOut);
    zoomOutAction->setObjectName(QStringLiteral("actionAlejar"));
    zoomOutAction->setShortcut(QKeySequence::ZoomOut);
    bar->addAction(QStringLiteral("Ancho de página"), this, &ReportPreviewDialog::fitWidth)
        ->setObjectName(QStringLiteral("actionAncho"));
    bar->addAction(QStringLiteral("Página completa"), this, &ReportPreviewDialog::fitPage)
        ->setObjectName(QStringLiteral("actionPaginaCompleta"));
    bar->addSeparator();
    QAction* printAction = add(QStringLiteral("actionImprimir"), QStringLiteral("Imprimir…"),
                               QIcon::fromTheme(QStringLiteral("document-print")),
                               &ReportPreviewDialog::printWithDialog);
    printAction->setShortcut(QKeySequence::Print);
    add(QStringLiteral("actionExportarPdf"), QStringLiteral("Exportar a PDF…"),
        icon(QStyle::SP_DialogSaveButton), &ReportPreviewDialog::exportPdfWithDialog);
    bar->addSeparator();
    add(QStringLiteral("actionCerrar"), QStringLiteral("Cerrar"),
        icon(QStyle::SP_DialogCloseButton), &ReportPreviewDialog::reject);
    static_cast<QVBoxLayout*>(this->layout())->addWidget(bar);
}

int ReportPreviewDialog::currentPage() const
{
    return m_preview->currentPage();
}

int ReportPreviewDialog::pageCount() const
{
    return m_preview->pageCount();
}

void ReportPreviewDialog::showPage(int page)
{
    m_preview->setCurrentPage(std::clamp(page, 1, std::max(1, pageCount())));
    updatePageLabel();
}

void ReportPreviewDialog::firstPage()
{
    showPage(1);
}

void ReportPreviewDialog::previousPage()
{
    showPage(currentPage() - 1);
}

void ReportPreviewDialog::nextPage()
{
    showPage(currentPage() + 1);
}

void ReportPreviewDialog::lastPage()
{
    showPage(pageCount());
}

void ReportPreviewDialog::zoomIn()
{
    m_preview->zoomIn();
}

void ReportPreviewDialog::zoomOut()
{
    m_preview->zoomOut();
}

void ReportPreviewDialog::fitWidth()
{
    m_preview->fitToWidth();
}

void ReportPreviewDialog::fitPage()
{
    m_preview->fitInView();
}

void ReportPreviewDialog::updatePageLabel()
{
    if (m_pageLabel) {
        m_pageLabel->setText(QStringLiteral("Página %1 de %2").arg(currentPage()).arg(pageCount()));
    }
}

void ReportPreviewDialog::printWithDialog()
{
    std::unique_ptr<QPrinter> systemDefault;
    QPrinter* printer = m_selectedPrinter;
    if (!printer) {
        systemDefault = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer = systemDefault.get();
    }
    ReportRenderer renderer(m_document);
    renderer.setUpPrinter(printer);
    printer->setFromTo(1, int(m_document.pages.size()));
    QPrintDialog dialog(printer, this);
    dialog.setMinMax(1, int(m_document.pages.size()));
    const bool accepted = dialog.exec() == QDialog::Accepted;
    try {
        if (accepted)
            renderer.print(printer);
    } catch (const ModuleError& error) {
        QMessageBox::critical(this, QStringLiteral("Imprimir"), error.message());
    }
    printer->setPrintRange(QPrinter::AllPages);
}

bool ReportPreviewDialog::exportPdf(const QString& fileName) const
{
    return ReportRenderer(m_document).exportPdf(fileName);
}

void ReportPreviewDialog::exportPdfWithDialog()
{
    QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("Exportar a PDF"),
                                                    m_document.title + QStringLiteral(".pdf"),
                                                    QStringLiteral("Documentos PDF (*.pdf)"));
    if (fileName.isEmpty())
        return;
    if (!fileName.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        fileName += QStringLiteral(".pdf");
    try {
        if (!exportPdf(fileName)) {
            QMessageBox::information(this, QStringLiteral("Exportar a PDF"),
                                     QStringLiteral("El informe no tiene páginas para exportar."));
        }
    } catch (const ModuleError& error) {
        QMessageBox::critical(this, QStringLiteral("Exportar a PDF"), error.message());
    }
}

} // namespace tavrel::report
