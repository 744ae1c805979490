#pragma once

#include "LaidOutDocument.h"
#include "PdfExportSettings.h"

class QPainter;
class QPagedPaintDevice;
class QPrinter;

namespace tavrel::report {

// Draws laid-out pages with QPainter on any paged device: report units are scaled to the
// device's resolution, and fonts are given pixel sizes in device pixels.
class ReportRenderer
{
public:
    // The PDF resolution: 10 device pixels per report unit, the scale texts are measured at.
    static constexpr int kPdfResolution = 960;

    explicit ReportRenderer(const LaidOutDocument& document);

    // Paints pages fromPage..toPage (0-based, inclusive; -1 = to the end) with a painter
    // already begun on `device`, whose origin is the top left corner of the paper.
    void paint(QPainter& painter, QPagedPaintDevice& device, int fromPage = 0,
               int toPage = -1) const;
    static void paintPage(QPainter& painter, const LaidOutPage& page, qreal scale);

    // Writes the pages to a PDF file with fonts embedded. The file is replaced only when
    // the whole document was written. Returns false, writing nothing, when there are no
    // pages; throws ModuleError when the file cannot be written.
    bool exportPdf(const QString& fileName, const PdfExportSettings& settings = {}) const;

    // Prints on `printer` as it is set up, without a dialog; honours the printer's page
    // range. Returns false when there are no pages; throws ModuleError when the printer
    // cannot start.
    bool print(QPrinter* printer) const;

    // Sets a printer to the document's paper and orientation, painting from the paper's corner.
    void setUpPrinter(QPrinter* printer) const;

private:
    const LaidOutDocument& m_document;
};

} // namespace tavrel::report
