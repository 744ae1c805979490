#pragma once

#include "TavrelReportsExport.h"

#include "LaidOutDocument.h"
#include "PdfExportSettings.h"

#include <functional>

class QIODevice;
class QPainter;
class QPagedPaintDevice;
class QPrinter;

namespace tavrel::report {

class ReportRun;

// Draws laid-out pages with QPainter on any paged device, one page at a time: report
// units are scaled to the device's resolution, and texts are drawn as the glyphs the
// layout shaped. Pages come from a laid-out document or from a run, which lays each
// out when it is drawn, so that a run's pages are never all held at once.
class TAVREL_REPORTS_EXPORT ReportRenderer
{
public:
    // The PDF resolution: 10 device pixels per report unit, the scale texts are measured at.
    static constexpr int kPdfResolution = 960;

    // Told after each page drawn (1-based) with the page count, -1 while it is not
    // known; returning false stops the drawing.
    using Progress = std::function<bool(int page, int pageCount)>;

    explicit ReportRenderer(const LaidOutDocument& document);
    explicit ReportRenderer(ReportRun& run);

    void setProgress(Progress progress) { m_progress = std::move(progress); }
    // Whether the last export or print was stopped through the progress callback.
    bool cancelled() const { return m_cancelled; }

    // Paints pages fromPage..toPage (0-based, inclusive; -1 = to the end) with a painter
    // already begun on `device`, whose origin is the top left corner of the paper.
    // Returns false when stopped.
    bool paint(QPainter& painter, QPagedPaintDevice& device, int fromPage = 0, int toPage = -1);
    static void paintPage(QPainter& painter, const LaidOutPage& page, qreal scale);

    // Writes the pages to a PDF file with fonts embedded, through a temporary file beside
    // it that replaces the file only when the whole document was written. Plain PDF is
    // written compactly through cairo; PDF/A through Qt's writer, which declares the
    // conformance. Returns false, writing nothing, when there are no pages or when
    // stopped; throws ModuleError when the file cannot be written.
    bool exportPdf(const QString& fileName, const PdfExportSettings& settings = {});

    // Prints on `printer` as it is set up, without a dialog; honours the printer's page
    // range. Returns false when there are no pages or when stopped; throws ModuleError
    // when the printer cannot start.
    bool print(QPrinter* printer);

    // Sets a printer to the document's paper and orientation, painting from the paper's corner.
    void setUpPrinter(QPrinter* printer) const;

private:
    using PageSink = std::function<bool(const LaidOutPage& page, bool first)>;
    // Hands pages fromPage..toPage to `sink`, telling the progress; false when stopped,
    // by the progress or by the sink.
    bool drawPages(int fromPage, int toPage, const PageSink& sink);
    bool writeWithQt(QIODevice& file, const PdfExportSettings& settings);

    const QString& title() const;
    const Page& page() const;
    // The page `index`, laid out when it comes from a run; null past the last.
    const LaidOutPage* pageAt(int index);
    int pageCount() const;

    const LaidOutDocument* m_document = nullptr;
    ReportRun* m_run = nullptr;
    LaidOutPage m_current;
    Progress m_progress;
    bool m_cancelled = false;
};

} // namespace tavrel::report
