#include "ReportPreviewDialog.h"

#include "ModuleError.h"
#include "RenderProgress.h"
#include "ReportRenderer.h"
#include "ReportRun.h"
#include "ReportUnits.h"

#include <QAction>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace tavrel::report {

namespace {

constexpr qint64 kCountSliceMs = 30; // counting between two events
constexpr int kMargin = 12;          // around the page, in screen pixels

} // namespace

ReportPreviewDialog::ReportPreviewDialog(std::unique_ptr<ReportRun> run, QWidget* parent)
    : QDialog(parent), m_run(std::move(run))
{
    setWindowTitle(m_run->title().isEmpty()
                       ? QStringLiteral("Vista previa")
                       : QStringLiteral("Vista previa - %1").arg(m_run->title()));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolBar();
    m_scroll = new QScrollArea(this);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_view = new QLabel(m_scroll);
    m_view->setObjectName(QStringLiteral("paginaVista"));
    m_scroll->setWidget(m_view);
    m_scroll->viewport()->installEventFilter(this);
    layout->addWidget(m_scroll, 1);
    resize(1000, 760);

    // The pages are counted in the background, a few between two events.
    m_counter = new QTimer(this);
    m_counter->setInterval(0);
    connect(m_counter, &QTimer::timeout, this, &ReportPreviewDialog::countSome);
    showPage(1);
    if (pageCount() < 0)
        m_counter->start();
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

int ReportPreviewDialog::pageCount() const
{
    return m_run->pageCount();
}

void ReportPreviewDialog::countSome()
{
    try {
        QElapsedTimer clock;
        clock.start();
        bool done = false;
        while (!done && clock.elapsed() < kCountSliceMs)
            done = m_run->countPages(1);
        if (done)
            m_counter->stop();
    } catch (const ModuleError& error) {
        m_counter->stop();
        QMessageBox::critical(this, windowTitle(), error.message());
    }
    updatePageLabel();
}

void ReportPreviewDialog::showPage(int page)
{
    const int count = pageCount();
    page = std::max(1, count >= 0 ? std::min(page, std::max(1, count)) : page);
    LaidOutPage laidOut;
    if (!m_run->layOutPage(page - 1, laidOut)) {
        // Past the last page while counting: the last one there is.
        const int last = std::max(1, pageCount());
        if (page != last && m_run->layOutPage(last - 1, laidOut))
            page = last;
    }
    m_page = page;
    m_shown = std::move(laidOut);
    render();
    updatePageLabel();
}

void ReportPreviewDialog::render()
{
    const QSizeF paper = m_run->page().paperSize();
    const QSize viewport = m_scroll->viewport()->size() - QSize(2 * kMargin, 2 * kMargin);
    if (m_fit == Fit::Width)
        m_zoom = viewport.width() / paper.width();
    else if (m_fit == Fit::Page)
        m_zoom = std::min(viewport.width() / paper.width(), viewport.height() / paper.height());
    m_zoom = std::clamp(m_zoom, 0.1, 8.0);
    const qreal ratio = devicePixelRatioF();
    QImage image((paper * m_zoom * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        ReportRenderer::paintPage(painter, m_shown, m_zoom);
    }
    m_view->setPixmap(QPixmap::fromImage(std::move(image)));
    m_view->resize(m_view->sizeHint());
}

bool ReportPreviewDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize && m_fit != Fit::None)
        render();
    return QDialog::eventFilter(watched, event);
}

void ReportPreviewDialog::firstPage()
{
    showPage(1);
}

void ReportPreviewDialog::previousPage()
{
    showPage(m_page - 1);
}

void ReportPreviewDialog::nextPage()
{
    showPage(m_page + 1);
}

void ReportPreviewDialog::lastPage()
{
    m_run->countPages();
    m_counter->stop();
    showPage(pageCount());
}

void ReportPreviewDialog::zoomIn()
{
    m_fit = Fit::None;
    m_zoom *= 1.25;
    render();
}

void ReportPreviewDialog::zoomOut()
{
    m_fit = Fit::None;
    m_zoom /= 1.25;
    render();
}

void ReportPreviewDialog::fitWidth()
{
    m_fit = Fit::Width;
    render();
}

void ReportPreviewDialog::fitPage()
{
    m_fit = Fit::Page;
    render();
}

void ReportPreviewDialog::updatePageLabel()
{
    const int count = pageCount();
    m_pageLabel->setText(QStringLiteral("Página %1 de %2")
                             .arg(m_page)
                             .arg(count >= 0 ? QString::number(count) : QStringLiteral("…")));
}

void ReportPreviewDialog::printWithDialog()
{
    std::unique_ptr<QPrinter> systemDefault;
    QPrinter* printer = m_selectedPrinter;
    if (!printer) {
        systemDefault = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer = systemDefault.get();
    }
    m_run->countPages();
    ReportRenderer renderer(*m_run);
    renderer.setUpPrinter(printer);
    printer->setFromTo(1, pageCount());
    QPrintDialog dialog(printer, this);
    dialog.setMinMax(1, pageCount());
    const bool accepted = dialog.exec() == QDialog::Accepted;
    try {
        if (accepted) {
            RenderProgress progress(this, QStringLiteral("Imprimir"));
            renderer.setProgress(progress.callback());
            renderer.print(printer);
        }
    } catch (const ModuleError& error) {
        QMessageBox::critical(this, QStringLiteral("Imprimir"), error.message());
    }
    printer->setPrintRange(QPrinter::AllPages);
    showPage(m_page);
}

bool ReportPreviewDialog::exportPdf(const QString& fileName)
{
    RenderProgress progress(this, QStringLiteral("Exportar a PDF"));
    ReportRenderer renderer(*m_run);
    renderer.setProgress(progress.callback());
    const bool written = renderer.exportPdf(fileName);
    showPage(m_page);
    return written;
}

void ReportPreviewDialog::exportPdfWithDialog()
{
    QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("Exportar a PDF"),
                                                    m_run->title() + QStringLiteral(".pdf"),
                                                    QStringLiteral("Documentos PDF (*.pdf)"));
    if (fileName.isEmpty())
        return;
    if (!fileName.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        fileName += QStringLiteral(".pdf");
    try {
        m_run->countPages();
        if (!exportPdf(fileName) && pageCount() == 0) {
            QMessageBox::information(this, QStringLiteral("Exportar a PDF"),
                                     QStringLiteral("El informe no tiene páginas para exportar."));
        }
    } catch (const ModuleError& error) {
        QMessageBox::critical(this, QStringLiteral("Exportar a PDF"), error.message());
    }
}

} // namespace tavrel::report
