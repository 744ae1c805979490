#include "ReportRenderer.h"

#include "ModuleError.h"
#include "PdfDocumentWriter.h"
#include "ReportLog.h"
#include "ReportRun.h"
#include "ReportUnits.h"
#include "TextMeasurer.h"

#include <QElapsedTimer>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

namespace tavrel::report {

namespace {

// Pages are drawn at the layout's reference scale, under a transform for other devices.
constexpr qreal kScale = TextMeasurer::kReferenceScale;

QRectF scaled(const QRectF& rect)
{
    return QRectF(rect.topLeft() * kScale, rect.size() * kScale);
}

QPen pen(const QColor& colour, qreal width)
{
    QPen pen(colour, width * kScale);
    // Square caps close the corners where two frame sides meet.
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

void paintText(QPainter& painter, const TextRun& run)
{
    if (run.fill.isValid())
        painter.fillRect(scaled(run.box), run.fill);
    if (run.lines.isEmpty() || run.clip.isEmpty())
        return;
    // A clip only where the layout found a line reaching outside it.
    if (run.clipped) {
        painter.save();
        painter.setClipRect(scaled(run.clip), Qt::IntersectClip);
    }
    if (painter.pen().color() != run.colour || painter.pen().style() != Qt::SolidLine)
        painter.setPen(run.colour);
    for (const TextLine& line : run.lines) {
        // On a whole reference pixel, like the glyphs (see TextMeasurer).
        const QPointF origin = run.glyphOrigin(line, kScale);
        for (const QGlyphRun& glyphs : line.glyphs)
            painter.drawGlyphRun(origin, glyphs);
    }
    if (run.clipped)
        painter.restore();
}

} // namespace

ReportRenderer::ReportRenderer(const LaidOutDocument& document) : m_document(&document) {}

ReportRenderer::ReportRenderer(ReportRun& run) : m_run(&run) {}

const QString& ReportRenderer::title() const
{
    return m_run ? m_run->title() : m_document->title;
}

const Page& ReportRenderer::page() const
{
    return m_run ? m_run->page() : m_document->page;
}

const LaidOutPage* ReportRenderer::pageAt(int index)
{
    if (!m_run)
        return index >= 0 && index < m_document->pages.size() ? &m_document->pages[index] : nullptr;
    return m_run->layOutPage(index, m_current) ? &m_current : nullptr;
}

int ReportRenderer::pageCount() const
{
    return m_run ? m_run->pageCount() : int(m_document->pages.size());
}

void ReportRenderer::paintPage(QPainter& painter, const LaidOutPage& page, qreal scale)
{
    painter.save();
    if (!qFuzzyCompare(scale, kScale))
        painter.scale(scale / kScale, scale / kScale);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const Primitive& item : page.items) {
        if (const auto* text = std::get_if<TextRun>(&item)) {
            paintText(painter, *text);
        } else if (const auto* image = std::get_if<ImageRun>(&item)) {
            painter.drawImage(scaled(image->rect), image->image);
        } else if (const auto* line = std::get_if<LineRun>(&item)) {
            // Frame sides meet end to end; smoothing would darken every joint on screen.
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(pen(line->colour, line->width));
            painter.drawLine(QLineF(line->line.p1() * kScale, line->line.p2() * kScale));
            painter.setRenderHint(QPainter::Antialiasing);
        } else if (const auto* rect = std::get_if<RectRun>(&item)) {
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(rect->penWidth > 0 ? pen(rect->colour, rect->penWidth)
                                              : QPen(Qt::NoPen));
            painter.setBrush(rect->fill.isValid() ? QBrush(rect->fill) : QBrush(Qt::NoBrush));
            painter.drawRect(scaled(rect->rect));
            painter.setBrush(Qt::NoBrush);
            painter.setRenderHint(QPainter::Antialiasing);
        }
    }
    painter.restore();
}

bool ReportRenderer::drawPages(int fromPage, int toPage, const PageSink& sink)
{
    m_cancelled = false;
    QElapsedTimer clock;
    clock.start();
    const int first = std::max(0, fromPage);
    int drawn = 0;
    bool stopped = false;
    for (int index = first; toPage < 0 || index <= toPage; ++index) {
        const LaidOutPage* page = pageAt(index);
        if (!page)
            break;
        if (!sink(*page, index == first)) {
            stopped = true;
            break;
        }
        ++drawn;
        if (m_progress && !m_progress(index + 1, pageCount())) {
            m_cancelled = true;
            break;
        }
    }
    qCDebug(lcReport) << title() << (m_cancelled || stopped ? "stopped after" : "drew") << drawn
                      << "pages in" << clock.elapsed() << "ms";
    return !m_cancelled && !stopped;
}

bool ReportRenderer::paint(QPainter& painter, QPagedPaintDevice& device, int fromPage, int toPage)
{
    const qreal scale = device.logicalDpiX() / kUnitsPerInch;
    return drawPages(fromPage, toPage, [&](const LaidOutPage& page, bool first) {
        if (!first)
            device.newPage();
        paintPage(painter, page, scale);
        return true;
    });
}

void ReportRenderer::setUpPrinter(QPrinter* printer) const
{
    const QPageLayout layout = page().pageLayout();
    printer->setPageSize(layout.pageSize());
    printer->setPageOrientation(layout.orientation());
    printer->setFullPage(true);
    if (printer->docName().isEmpty())
        printer->setDocName(title());
}

bool ReportRenderer::print(QPrinter* printer)
{
    m_cancelled = false;
    if (!pageAt(0))
        return false;
    setUpPrinter(printer);
    int from = 0;
    int to = -1;
    if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
        from = printer->fromPage() - 1;
        to = printer->toPage() > 0 ? printer->toPage() - 1 : -1;
    }
    QPainter painter;
    if (!painter.begin(printer)) {
        const QString target = printer->outputFileName().isEmpty() ? printer->printerName()
                                                                   : printer->outputFileName();
        throw ModuleError(QStringLiteral("No se pudo iniciar la impresión en «%1».").arg(target));
    }
    const bool done = paint(painter, *printer, from, to);
    if (!done)
        printer->abort();
    painter.end();
    return done;
}

bool ReportRenderer::exportPdf(const QString& fileName, const PdfExportSettings& settings)
{
    m_cancelled = false;
    if (!pageAt(0))
        return false;
    const auto failed = [&fileName](const QString& reason) {
        return ModuleError(
            QStringLiteral("No se pudo escribir el archivo PDF «%1»: %2.").arg(fileName, reason));
    };
    // Written beside the file and put in its place in one step, so that a failure or a
    // stop never leaves half a file behind.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw failed(file.errorString());
    if (settings.pdfA) {
        if (!writeWithQt(file, settings)) {
            file.cancelWriting();
            return false;
        }
    } else {
        PdfDocumentWriter pdf(file, page().pageLayout().fullRect(QPageLayout::Point).size(), kScale,
                              title(), settings.creator);
        drawPages(0, -1, [&pdf](const LaidOutPage& page, bool) { return pdf.writePage(page); });
        if (m_cancelled) {
            pdf.discard();
            file.cancelWriting();
            return false;
        }
        // A page that could not be written stopped the drawing; finish says why.
        const QString error = pdf.finish();
        if (!error.isEmpty()) {
            file.cancelWriting();
            throw failed(error);
        }
    }
    if (!file.commit())
        throw failed(file.errorString());
    return true;
}

bool ReportRenderer::writeWithQt(QIODevice& file, const PdfExportSettings& settings)
{
    QPdfWriter writer(&file);
    writer.setResolution(kPdfResolution);
    writer.setPageLayout(QPageLayout(page().pageSize(), page().orientation(), QMarginsF()));
    writer.setTitle(title());
    writer.setCreator(settings.creator);
    writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
    QPainter painter(&writer);
    return paint(painter, writer);
}

} // namespace tavrel::report
