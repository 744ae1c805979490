#pragma once

#include "TavrelReportsExport.h"

#include "FontSpec.h"

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QStringList>

#include <memory>

namespace tavrel::report {

// One line of a text as it is drawn: its text, its natural width and its glyphs shaped at
// the reference scale, placed from the line's top left corner (the baseline lies one
// ascent below it).
struct TAVREL_REPORTS_EXPORT ShapedLine
{
    QString text;
    qreal width = 0; // in report units, trailing blanks left out
    QList<QGlyphRun> glyphs;
};

// Measures, breaks and shapes text the way the renderer will draw it. Fonts are measured
// at kReferenceScale device pixels per unit (the PDF writer's scale) and the results are
// given back in report units, so that layout and rendering agree to the glyph. Fonts,
// line heights and shaped texts are kept, so a label printed on every record is shaped
// once; the kept texts are dropped when there are too many.
class TAVREL_REPORTS_EXPORT TextMeasurer
{
public:
    static constexpr qreal kReferenceScale = 10;

    TextMeasurer();
    ~TextMeasurer();
    TextMeasurer(const TextMeasurer&) = delete;
    TextMeasurer& operator=(const TextMeasurer&) = delete;

    qreal lineHeight(const FontSpec& font) const;
    qreal textWidth(const QString& text, const FontSpec& font) const;
    // The lines the text occupies in `width`: explicit line breaks always, and word
    // wrapping (at word boundaries, inside a word only when it alone is too wide) when
    // `wrap` is on. Empty text gives no lines.
    QStringList breakLines(const QString& text, const FontSpec& font, qreal width, bool wrap) const;
    // The same lines shaped; the list lives until the next call.
    const QList<ShapedLine>& shape(const QString& text, const FontSpec& font, qreal width,
                                   bool wrap) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel::report
