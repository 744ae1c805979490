#include "FontSpec.h"

#include <QtMath>

namespace tavrel::report {

QFont FontSpec::toFont(qreal scale) const
{
    QFont font(family);
    // Pixel sizes, never point sizes: a PDF writer ignores painter scaling for points.
    font.setPixelSize(qMax(1, qRound(pixelSize * scale)));
    font.setBold(bold);
    font.setItalic(italic);
    // Outlines without grid fitting, so that widths scale with the size and the
    // measured layout matches every device.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace tavrel::report
