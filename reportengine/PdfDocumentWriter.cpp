#include "PdfDocumentWriter.h"

#include "RepeatedItems.h"
#include "ReportLog.h"
#include "ReportUnits.h"

#include <QHash>
#include <QIODevice>
#include <QPainterPath>
#include <QRawFont>

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <cstring>
#include <vector>

namespace tavrel::report {

namespace {

void setColour(cairo_t* cr, const QColor& colour)
{
    cairo_set_source_rgba(cr, colour.redF(), colour.greenF(), colour.blueF(), colour.alphaF());
}

void addRect(cairo_t* cr, const QRectF& rect, qreal scale)
{
    cairo_rectangle(cr, rect.x() * scale, rect.y() * scale, rect.width() * scale,
                    rect.height() * scale);
}

// The font file's "head" table: its checksum and dates tell one file from another.
QByteArray headTable(FT_Library library, const QByteArray& file, int index)
{
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.constData(), index, &face) != 0)
        return {};
    FT_ULong length = 0;
    QByteArray table;
    if (FT_Load_Sfnt_Table(face, TTAG_head, 0, nullptr, &length) == 0) {
        table.resize(qsizetype(length));
        if (FT_Load_Sfnt_Table(face, TTAG_head, 0, reinterpret_cast<FT_Byte*>(table.data()),
                               &length) != 0)
            table.clear();
    }
    FT_Done_Face(face);
    return table;
}

// The file fontconfig gives for the font's family and style, when it is the very file
// the glyphs were shaped with; null otherwise.
cairo_font_face_t* fontFaceFor(FT_Library library, const QRawFont& font)
{
    FcPattern* wanted = FcPatternCreate();
    FcPatternAddString(wanted, FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(font.familyName().toUtf8().constData()));
    FcPatternAddString(wanted, FC_STYLE,
                       reinterpret_cast<const FcChar8*>(font.styleName().toUtf8().constData()));
    FcConfigSubstitute(nullptr, wanted, FcMatchPattern);
    FcDefaultSubstitute(wanted);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, wanted, &result);
    FcPatternDestroy(wanted);
    if (!match)
        return nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    cairo_font_face_t* face = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        const QByteArray path(reinterpret_cast<const char*>(file));
        const QByteArray head = font.fontTable("head");
        if (!head.isEmpty() && headTable(library, path, index) == head) {
            FcPattern* exact = FcPatternCreate();
            FcPatternAddString(exact, FC_FILE, file);
            FcPatternAddInteger(exact, FC_INDEX, index);
            face = cairo_ft_font_face_create_for_pattern(exact);
            FcPatternDestroy(exact);
        }
    }
    FcPatternDestroy(match);
    return face;
}

void addPath(cairo_t* cr, const QPainterPath& path, const QPointF& at)
{
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            cairo_move_to(cr, at.x() + e.x, at.y() + e.y);
            break;
        case QPainterPath::LineToElement:
            cairo_line_to(cr, at.x() + e.x, at.y() + e.y);
            break;
        case QPainterPath::CurveToElement: {
            const QPainterPath::Element c2 = path.elementAt(i + 1);
            const QPainterPath::Element end = path.elementAt(i + 2);
            cairo_curve_to(cr, at.x() + e.x, at.y() + e.y, at.x() + c2.x, at.y() + c2.y,
                           at.x() + end.x, at.y() + end.y);
            i += 2;
            break;
        }
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
}

} // namespace

struct PdfDocumentWriter::Private
{
    static cairo_status_t write(void* closure, const unsigned char* data, unsigned int length)
    {
        auto* self = static_cast<Private*>(closure);
        if (self->discarded)
            return CAIRO_STATUS_SUCCESS;
        if (self->device.write(reinterpret_cast<const char*>(data), length) != qint64(length)) {
            self->writeFailed = true;
            return CAIRO_STATUS_WRITE_ERROR;
        }
        return CAIRO_STATUS_SUCCESS;
    }

    explicit Private(QIODevice& output) : device(output) {}
    ~Private()
    {
        if (cr)
            cairo_destroy(cr);
        if (surface)
            cairo_surface_destroy(surface);
        for (cairo_font_face_t* face : std::as_const(faces)) {
            if (face)
                cairo_font_face_destroy(face);
        }
        clearImages();
        if (form)
            cairo_surface_destroy(form);
        if (fontOptions)
            cairo_font_options_destroy(fontOptions);
        if (freetype)
            FT_Done_FreeType(freetype);
    }

    void clearImages()
    {
        for (cairo_surface_t* image : std::as_const(images))
            cairo_surface_destroy(image);
        images.clear();
    }

    // Items drawn alike on the pages before (headers, footers, labels) go into one form,
    // written once and shown on every page that has them.
    void writeFurnished(const LaidOutPage& page);
    void draw(const Primitive& item);
    cairo_font_face_t* face(const QRawFont& font);
    cairo_surface_t* image(const QImage& image);
    void text(const TextRun& run);
    void picture(const ImageRun& run);

    QIODevice& device;
    qreal scale = 1;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    FT_Library freetype = nullptr;
    QHash<QString, cairo_font_face_t*> faces; // null: drawn as outlines
    QHash<qint64, cairo_surface_t*> images;   // by QImage::cacheKey
    cairo_font_options_t* fontOptions = nullptr;
    RepeatedItems repeated;
    cairo_rectangle_t pageExtents{};
    cairo_surface_t* form = nullptr; // the repeated items of the pages

    QString error; // why drawing failed
    bool discarded = false;
    bool writeFailed = false;
};

cairo_font_face_t* PdfDocumentWriter::Private::face(const QRawFont& font)
{
    const QString key = font.familyName() + u'\n' + font.styleName() + u'\n' +
                        QString::number(font.weight()) + u'\n' + QString::number(font.style());
    auto found = faces.constFind(key);
    if (found != faces.constEnd())
        return *found;
    if (!freetype && FT_Init_FreeType(&freetype) != 0)
        freetype = nullptr;
    cairo_font_face_t* face = freetype ? fontFaceFor(freetype, font) : nullptr;
    if (!face) {
        qCWarning(lcReport) << "no font file for" << font.familyName() << font.styleName()
                            << "- its texts are drawn as outlines";
    }
    return *faces.insert(key, face);
}

cairo_surface_t* PdfDocumentWriter::Private::image(const QImage& source)
{
    auto found = images.constFind(source.cacheKey());
    if (found != images.constEnd())
        return *found;
    // Pictures are few (logos, signatures); a report with a picture per record keeps
    // only the latest.
    if (images.size() >= 64)
        clearImages();
    const bool alpha = source.hasAlphaChannel();
    const QImage pixels =
        source.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    cairo_surface_t* image = cairo_image_surface_create(
        alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, pixels.width(), pixels.height());
    cairo_surface_flush(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = 0; data && y < pixels.height(); ++y)
        std::memcpy(data + qsizetype(y) * stride, pixels.constScanLine(y), pixels.width() * 4);
    cairo_surface_mark_dirty(image);
    return *images.insert(source.cacheKey(), image);
}

void PdfDocumentWriter::Private::text(const TextRun& run)
{
    if (run.fill.isValid()) {
        setColour(cr, run.fill);
        addRect(cr, run.box, scale);
        cairo_fill(cr);
    }
    if (run.lines.isEmpty() || run.clip.isEmpty())
        return;
    cairo_save(cr);
    if (run.clipped) {
        addRect(cr, run.clip, scale);
        cairo_clip(cr);
    }
    setColour(cr, run.colour);
    std::vector<cairo_glyph_t> glyphs;
    for (const TextLine& line : run.lines) {
        const QPointF origin = run.glyphOrigin(line, scale);
        for (const QGlyphRun& glyphRun : line.glyphs) {
            const QRawFont font = glyphRun.rawFont();
            const QList<quint32> indexes = glyphRun.glyphIndexes();
            const QList<QPointF> positions = glyphRun.positions();
            if (cairo_font_face_t* fontFace = face(font)) {
                glyphs.clear();
                for (qsizetype i = 0; i < indexes.size(); ++i) {
                    const QPointF at = origin + positions.value(i);
                    glyphs.push_back(cairo_glyph_t{indexes[i], at.x(), at.y()});
                }
                cairo_set_font_face(cr, fontFace);
                cairo_set_font_size(cr, font.pixelSize());
                cairo_show_glyphs(cr, glyphs.data(), int(glyphs.size()));
            } else {
                for (qsizetype i = 0; i < indexes.size(); ++i)
                    addPath(cr, font.pathForGlyph(indexes[i]), origin + positions.value(i));
                cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
                cairo_fill(cr);
            }
        }
    }
    cairo_restore(cr);
}

void PdfDocumentWriter::Private::draw(const Primitive& item)
{
    if (const auto* text = std::get_if<TextRun>(&item)) {
        this->text(*text);
    } else if (const auto* image = std::get_if<ImageRun>(&item)) {
        picture(*image);
    } else if (const auto* line = std::get_if<LineRun>(&item)) {
        setColour(cr, line->colour);
        cairo_set_line_width(cr, line->width * scale);
        // Square caps close the corners where two frame sides meet.
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
        cairo_move_to(cr, line->line.x1() * scale, line->line.y1() * scale);
        cairo_line_to(cr, line->line.x2() * scale, line->line.y2() * scale);
        cairo_stroke(cr);
    } else if (const auto* rect = std::get_if<RectRun>(&item)) {
        addRect(cr, rect->rect, scale);
        if (rect->fill.isValid()) {
            setColour(cr, rect->fill);
            cairo_fill_preserve(cr);
        }
        if (rect->penWidth > 0) {
            setColour(cr, rect->colour);
            cairo_set_line_width(cr, rect->penWidth * scale);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
            cairo_stroke_preserve(cr);
        }
        cairo_new_path(cr);
    }
}

void PdfDocumentWriter::Private::writeFurnished(const LaidOutPage& page)
{
    const RepeatedItems::Split split = repeated.next(page);
    if (split.repeated.isEmpty()) {
        for (const Primitive& item : page.items)
            draw(item);
        return;
    }
    if (split.changed || !form) {
        if (form)
            cairo_surface_destroy(form);
        // Bounded: cairo writes an unbounded recording as an empty form.
        form = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &pageExtents);
        cairo_t* pageContext = std::exchange(cr, cairo_create(form));
        cairo_set_font_options(cr, fontOptions);
        for (const Primitive* item : split.repeated)
            draw(*item);
        cairo_destroy(std::exchange(cr, pageContext));
    }
    cairo_set_source_surface(cr, form, 0, 0);
    cairo_paint(cr);
    for (const Primitive* item : split.rest)
        draw(*item);
}

void PdfDocumentWriter::Private::picture(const ImageRun& run)
{
    if (run.image.isNull() || run.rect.isEmpty())
        return;
    cairo_surface_t* source = image(run.image);
    cairo_save(cr);
    cairo_translate(cr, run.rect.x() * scale, run.rect.y() * scale);
    cairo_scale(cr, run.rect.width() * scale / run.image.width(),
                run.rect.height() * scale / run.image.height());
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
}

PdfDocumentWriter::PdfDocumentWriter(QIODevice& device, const QSizeF& pagePoints, qreal scale,
                                     const QString& title, const QString& creator)
    : d(std::make_unique<Private>(device))
{
    d->scale = scale;
    d->pageExtents = {0, 0, pagePoints.width() * scale / kPointsPerUnit,
                      pagePoints.height() * scale / kPointsPerUnit};
    d->surface = cairo_pdf_surface_create_for_stream(&Private::write, d.get(), pagePoints.width(),
                                                     pagePoints.height());
    cairo_pdf_surface_restrict_to_version(d->surface, CAIRO_PDF_VERSION_1_4);
    cairo_pdf_surface_set_metadata(d->surface, CAIRO_PDF_METADATA_TITLE,
                                   title.toUtf8().constData());
    cairo_pdf_surface_set_metadata(d->surface, CAIRO_PDF_METADATA_CREATOR,
                                   creator.toUtf8().constData());
    d->cr = cairo_create(d->surface);
    // Device pixels to points.
    cairo_scale(d->cr, kPointsPerUnit / scale, kPointsPerUnit / scale);
    // The glyphs keep the positions the layout gave them; hinting would only move them.
    d->fontOptions = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(d->fontOptions, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(d->fontOptions, CAIRO_HINT_STYLE_NONE);
    cairo_set_font_options(d->cr, d->fontOptions);
}

PdfDocumentWriter::~PdfDocumentWriter()
{
    if (d->cr || d->surface)
        discard();
}

bool PdfDocumentWriter::writePage(const LaidOutPage& page)
{
    d->writeFurnished(page);
    cairo_show_page(d->cr);
    if (cairo_status(d->cr) != CAIRO_STATUS_SUCCESS && d->error.isEmpty())
        d->error = QString::fromUtf8(cairo_status_to_string(cairo_status(d->cr)));
    return d->error.isEmpty() && !d->writeFailed;
}

QString PdfDocumentWriter::finish()
{
    cairo_destroy(d->cr);
    d->cr = nullptr;
    cairo_surface_finish(d->surface);
    const cairo_status_t status = cairo_surface_status(d->surface);
    cairo_surface_destroy(d->surface);
    d->surface = nullptr;
    if (d->writeFailed)
        return d->device.errorString();
    if (!d->error.isEmpty())
        return d->error;
    if (status != CAIRO_STATUS_SUCCESS)
        return QString::fromUtf8(cairo_status_to_string(status));
    return {};
}

void PdfDocumentWriter::discard()
{
    d->discarded = true;
    if (d->cr)
        cairo_destroy(d->cr);
    d->cr = nullptr;
    if (d->surface)
        cairo_surface_destroy(d->surface);
    d->surface = nullptr;
}

} // namespace tavrel::report
