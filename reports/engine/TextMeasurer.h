#pragma once

#include "FontSpec.h"

#include <QStringList>

namespace tavrel::report {

// Measures and breaks text the way the renderer will draw it. Fonts are measured at
// kReferenceScale device pixels per unit (the PDF writer's scale) and the results are
// given back in report units, so that layout and rendering agree to the glyph.
class TextMeasurer
{
public:
    static constexpr qreal kReferenceScale = 10;

    qreal lineHeight(const FontSpec& font) const;
    qreal textWidth(const QString& text, const FontSpec& font) const;
    // The lines the text occupies in `width`: explicit line breaks always, and word
    // wrapping (at word boundaries, inside a word only when it alone is too wide) when
    // `wrap` is on. Empty text gives no lines.
    QStringList breakLines(const QString& text, const FontSpec& font, qreal width, bool wrap) const;
};

} // namespace tavrel::report
