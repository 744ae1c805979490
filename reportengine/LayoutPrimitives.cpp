#include "LayoutPrimitives.h"

#include <algorithm>
#include <cmath>

namespace tavrel::report {

QString TextRun::text() const
{
    QStringList texts;
    for (const TextLine& line : lines)
        texts.append(line.text);
    return texts.join(u'\n');
}

void TextRun::cutAt(qreal bottom)
{
    clip.setBottom(std::max(clip.top(), std::min(clip.bottom(), bottom)));
    const qreal tolerance = 0.01;
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const QRectF& rect = lines[i].rect;
        const bool whole = rect.bottom() <= clip.bottom() + tolerance;
        const bool firstVisible = i == 0 && rect.top() < clip.bottom() - tolerance;
        if (!whole && !firstVisible)
            lines.removeAt(i);
    }
    updateClipped();
}

QPointF TextRun::glyphOrigin(const TextLine& line, qreal scale) const
{
    qreal x = line.rect.left();
    if (alignment & Qt::AlignRight)
        x = line.rect.right() - line.width;
    else if (alignment & Qt::AlignHCenter)
        x = line.rect.left() + (line.rect.width() - line.width) / 2;
    return QPointF(std::round(x * scale), std::round(line.rect.top() * scale));
}

void TextRun::updateClipped()
{
    const qreal tolerance = 0.01;
    clipped = std::any_of(lines.cbegin(), lines.cend(), [&](const TextLine& line) {
        const qreal left = alignment & Qt::AlignRight     ? line.rect.right() - line.width
                           : alignment & Qt::AlignHCenter ? line.rect.center().x() - line.width / 2
                                                          : line.rect.left();
        return left < clip.left() - tolerance || left + line.width > clip.right() + tolerance ||
               line.rect.top() < clip.top() - tolerance ||
               line.rect.bottom() > clip.bottom() + tolerance;
    });
}

void translate(Primitive& primitive, const QPointF& offset)
{
    if (auto* text = std::get_if<TextRun>(&primitive)) {
        text->box.translate(offset);
        text->clip.translate(offset);
        for (TextLine& line : text->lines)
            line.rect.translate(offset);
    } else if (auto* image = std::get_if<ImageRun>(&primitive)) {
        image->box.translate(offset);
        image->rect.translate(offset);
    } else if (auto* line = std::get_if<LineRun>(&primitive)) {
        line->line.translate(offset);
    } else if (auto* rect = std::get_if<RectRun>(&primitive)) {
        rect->rect.translate(offset);
    }
}

} // namespace tavrel::report
