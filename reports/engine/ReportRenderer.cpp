#include "ReportRenderer.h"

#include "ModuleError.h"
#include "ReportUnits.h"

#include <QBuffer>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

namespace tavrel::report {

namespace {

QRectF scaled(const QRectF& rect, qreal scale)
{
    return QRectF(rect.topLeft() * scale, rect.size() * scale);
}

QPen pen(const QColor& colour, qreal width, qreal scale)
{
    QPen pen(colour, width * scale);
    // Square caps close the corners where two frame sides meet.
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

void paintText(QPainter& painter, const TextRun& run, qreal scale)
{
    if (run.fill.isValid())
        painter.fillRect(scaled(run.box, scale), run.fill);
    if (run.lines.isEmpty() || run.clip.isEmpty())
        return;
    painter.save();
    painter.setClipRect(scaled(run.clip, scale), Qt::IntersectClip);
    painter.setFont(run.font.toFont(scale));
    painter.setPen(run.colour);
    const int flags = int(run.alignment | Qt::AlignTop) | Qt::TextSingleLine | Qt::TextDontClip;
    for (const TextLine& line : run.lines)
        painter.drawText(scaled(line.rect, scale), flags, line.text);
    painter.restore();
}

} // namespace

ReportRenderer::ReportRenderer(const LaidOutDocument& document) : m_document(document) {}

void ReportRenderer::paintPage(QPainter& painter, const LaidOutPage& page, qreal scale)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const Primitive& item : page.items) {
        if (const auto* text = std::get_if<TextRun>(&item)) {
            paintText(painter, *text, scale);
        } else if (const auto* image = std::get_if<ImageRun>(&item)) {
            painter.drawImage(scaled(image->rect, scale), image->image);
        } else if (const auto* line = std::get_if<LineRun>(&item)) {
            // Frame sides meet end to end; smoothing would darken every joint on screen.
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(pen(line->colour, line->width, scale));
            painter.drawLine(QLineF(line->line.p1() * scale, line->line.p2() * scale));
            painter.setRenderHint(QPainter::Antialiasing);
        } else if (const auto* rect = std::get_if<RectRun>(&item)) {
            painter.setPen(rect->penWidth > 0 ? pen(rect->colour, rect->penWidth, scale)
                                              : QPen(Qt::NoPen));
            painter.setBrush(rect->fill.isValid() ? QBrush(rect->fill) : QBrush(Qt::NoBrush));
            painter.drawRect(scaled(rect->rect, scale));
            painter.setBrush(Qt::NoBrush);
        }
    }
}

void ReportRenderer::paint(QPainter& painter, QPagedPaintDevice& device, int fromPage,
                           int toPage) const
{
    const int last = toPage < 0 ? int(m_document.pages.size()) - 1
                                : std::min(toPage, int(m_document.pages.size()) - 1);
    const qreal scale = device.logicalDpiX() / kUnitsPerInch;
    for (int index = std::max(0, fromPage); index <= last; ++index) {
        if (index > std::max(0, fromPage))
            device.newPage();
        paintPage(painter, m_document.pages[index], scale);
    }
}

void ReportRenderer::setUpPrinter(QPrinter* printer) const
{
    const QPageLayout layout = m_document.page.pageLayout();
    printer->setPageSize(layout.pageSize());
    printer->setPageOrientation(layout.orientation());
    printer->setFullPage(true);
    if (printer->docName().isEmpty())
        printer->setDocName(m_document.title);
}

bool ReportRenderer::print(QPrinter* printer) const
{
    if (m_document.pages.isEmpty())
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
    paint(painter, *printer, from, to);
    painter.end();
    return true;
}

bool ReportRenderer::exportPdf(const QString& fileName, const PdfExportSettings& settings) const
{
    if (m_document.pages.isEmpty())
        return false;
    // Written to memory first and then replaced in one step, so that a failure never
    // leaves half a file behind.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kPdfResolution);
        const Page& page = m_document.page;
        writer.setPageLayout(QPageLayout(page.pageSize(), page.orientation(), QMarginsF()));
        writer.setTitle(m_document.title);
        writer.setCreator(settings.creator);
        writer.setPdfVersion(settings.pdfA ? QPagedPaintDevice::PdfVersion_A1b
                                           : QPagedPaintDevice::PdfVersion_1_4);
        QPainter painter(&writer);
        paint(painter, writer);
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(buffer.data()) != buffer.size() ||
        !file.commit()) {
        throw ModuleError(QStringLiteral("No se pudo escribir el archivo PDF «%1»: %2.")
                              .arg(fileName, file.errorString()));
    }
    return true;
}

} // namespace tavrel::report
