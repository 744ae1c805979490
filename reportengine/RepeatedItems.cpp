#include "RepeatedItems.h"

#include <QStringList>

namespace tavrel::report {

namespace {

QString rectKey(const QRectF& r)
{
    return QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QString colourKey(const QColor& colour)
{
    return colour.isValid() ? colour.name(QColor::HexArgb) : QString();
}

// What an item draws, where and how: alike items have the same signature.
QString signature(const Primitive& item)
{
    if (const auto* t = std::get_if<TextRun>(&item)) {
        return QStringList{QStringLiteral("T"),
                           t->text(),
                           rectKey(t->box),
                           rectKey(t->clip),
                           colourKey(t->colour),
                           colourKey(t->fill),
                           QString::number(t->alignment),
                           t->font.family,
                           QString::number(t->font.pixelSize),
                           QString::number(t->font.bold),
                           QString::number(t->font.italic),
                           QString::number(t->clipped)}
            .join(u'\x1f');
    }
    if (const auto* i = std::get_if<ImageRun>(&item)) {
        return QStringList{QStringLiteral("I"), QString::number(i->image.cacheKey()),
                           rectKey(i->rect)}
            .join(u'\x1f');
    }
    if (const auto* l = std::get_if<LineRun>(&item)) {
        return QStringList{QStringLiteral("L"), rectKey(QRectF(l->line.p1(), l->line.p2())),
                           QString::number(l->width), colourKey(l->colour)}
            .join(u'\x1f');
    }
    const auto& r = std::get<RectRun>(item);
    return QStringList{QStringLiteral("R"), rectKey(r.rect), QString::number(r.penWidth),
                       colourKey(r.colour), colourKey(r.fill)}
        .join(u'\x1f');
}

// The area an item may paint over; `opaque` when it hides what lies below.
QRectF paintedArea(const Primitive& item, bool& opaque)
{
    if (const auto* t = std::get_if<TextRun>(&item)) {
        opaque = t->fill.isValid();
        return t->box.united(t->clip);
    }
    if (const auto* i = std::get_if<ImageRun>(&item)) {
        opaque = true;
        return i->rect;
    }
    if (const auto* l = std::get_if<LineRun>(&item)) {
        opaque = false;
        const qreal w = l->width;
        return QRectF(l->line.p1(), l->line.p2()).normalized().adjusted(-w, -w, w, w);
    }
    const auto& r = std::get<RectRun>(item);
    opaque = r.fill.isValid();
    const qreal w = r.penWidth;
    return r.rect.adjusted(-w, -w, w, w);
}

// Whether the first part can be drawn before the second without changing the page:
// nothing opaque of one overlaps anything of the other.
bool drawableFirst(const QList<const Primitive*>& first, const QList<const Primitive*>& second)
{
    QList<QRectF> areas[2], hiding[2];
    for (int part = 0; part < 2; ++part) {
        for (const Primitive* item : part == 0 ? first : second) {
            bool opaque = false;
            areas[part].append(paintedArea(*item, opaque));
            if (opaque)
                hiding[part].append(areas[part].back());
        }
    }
    for (int part = 0; part < 2; ++part) {
        for (const QRectF& hider : std::as_const(hiding[part])) {
            for (const QRectF& other : std::as_const(areas[1 - part])) {
                if (hider.intersects(other))
                    return false;
            }
        }
    }
    return true;
}

} // namespace

RepeatedItems::Split RepeatedItems::next(const LaidOutPage& page)
{
    QStringList keys;
    keys.reserve(page.items.size());
    for (const Primitive& item : page.items)
        keys.append(signature(item));
    const QSet<QString> current(keys.cbegin(), keys.cend());
    QSet<QString> shared = m_kept & current;
    if (shared.size() < 2)
        shared = m_previous & current;
    m_previous = current;

    Split split;
    QSet<QString> taken; // an item drawn twice alike on a page repeats once
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const bool repeated = shared.contains(keys[i]) && !taken.contains(keys[i]);
        if (repeated)
            taken.insert(keys[i]);
        (repeated ? split.repeated : split.rest).append(&page.items[i]);
    }
    if (split.repeated.size() < 2 || !drawableFirst(split.repeated, split.rest))
        return Split{{}, {}, false};
    split.changed = shared != m_kept;
    m_kept = shared;
    return split;
}

} // namespace tavrel::report
