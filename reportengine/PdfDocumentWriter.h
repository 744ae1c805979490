#pragma once

#include "LaidOutDocument.h"

#include <QSizeF>
#include <QString>

#include <memory>

class QIODevice;

namespace tavrel::report {

// Writes laid-out pages into a PDF through cairo's PDF surface, a page at a time. Texts
// are the glyphs the layout shaped, set from the same font files in compact text
// operators (a glyph moves only where it leaves the font's own advance); fonts are
// embedded as subsets and every picture is written once however many pages show it.
// What pages show alike (see RepeatedItems) is written once as a form that each page
// shows. A glyph run whose font file cannot be found is drawn as outlines.
//
// Pages are drawn with the same geometry as ReportRenderer::paintPage, at `scale`
// device pixels per report unit.
class PdfDocumentWriter
{
public:
    PdfDocumentWriter(QIODevice& device, const QSizeF& pagePoints, qreal scale,
                      const QString& title, const QString& creator);
    ~PdfDocumentWriter();
    PdfDocumentWriter(const PdfDocumentWriter&) = delete;
    PdfDocumentWriter& operator=(const PdfDocumentWriter&) = delete;

    // False once the file cannot be written any more; finish() then says why.
    bool writePage(const LaidOutPage& page);
    // Writes the end of the file (fonts, page tree); gives the reason when any of the
    // file could not be written, empty when all went well.
    QString finish();
    // Ends without writing anything more to the device.
    void discard();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel::report
