#include "BandLayouter.h"

#include "Band.h"
#include "ReportUnits.h"
#include "TextMeasurer.h"
#include "ValueResolver.h"

#include <algorithm>
#include <numeric>
#include <tuple>

namespace tavrel::report {

namespace {

// An object of the band on its way to the page.
struct Placed
{
    const ReportObject* object = nullptr;
    QRectF original;
    QRectF rect;
    QList<ShapedLine> lines;
};

bool overlapsHorizontally(const QRectF& a, const QRectF& b)
{
    return a.left() < b.right() - kUnitEpsilon && b.left() < a.right() - kUnitEpsilon;
}

const TextObject* asText(const Placed& placed)
{
    return placed.object->type() == ReportObject::Type::Text
               ? static_cast<const TextObject*>(placed.object)
               : nullptr;
}

// Objects that shift when overlapped go below any object above them that grew or
// moved into them. Objects are visited from the top, so pushes cascade downwards.
void shiftOverlapped(QList<Placed>& placed)
{
    QList<qsizetype> order(placed.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return placed[a].original.top() < placed[b].original.top();
    });
    for (qsizetype i = 0; i < order.size(); ++i) {
        Placed& current = placed[order[i]];
        const TextObject* text = asText(current);
        if (!text || !text->shiftWhenOverlapped())
            continue;
        for (qsizetype j = 0; j < i; ++j) {
            const Placed& above = placed[order[j]];
            const bool isAbove = above.original.top() < current.original.top() - kUnitEpsilon;
            const bool moved = above.rect.bottom() > above.original.bottom() + kUnitEpsilon;
            if (isAbove && moved && overlapsHorizontally(above.rect, current.rect) &&
                above.rect.bottom() > current.rect.top() + kUnitEpsilon)
                current.rect.moveTop(above.rect.bottom());
        }
    }
}

QRectF fitted(const QSizeF& imageSize, const QRectF& box, bool keepAspect)
{
    if (!keepAspect || imageSize.isEmpty())
        return box;
    const QSizeF size = imageSize.scaled(box.size(), Qt::KeepAspectRatio);
    QRectF rect(QPointF(0, 0), size);
    rect.moveCenter(box.center());
    return rect;
}

void addFrame(QList<LineRun>& sides, const TextObject& text, const QRectF& box)
{
    const Frame& frame = text.frame();
    const auto side = [&](Frame::Side which, QPointF from, QPointF to) {
        if (frame.sides.testFlag(which))
            sides.append(LineRun{text.name(), QLineF(from, to), frame.width, frame.colour});
    };
    side(Frame::Left, box.topLeft(), box.bottomLeft());
    side(Frame::Top, box.topLeft(), box.topRight());
    side(Frame::Right, box.topRight(), box.bottomRight());
    side(Frame::Bottom, box.bottomLeft(), box.bottomRight());
}

bool near(qreal a, qreal b)
{
    return std::abs(a - b) < kUnitEpsilon;
}

// The frame sides of a band's boxes, joined: sides of the same pen on one line that meet
// or overlap become one line, and four lines that close a rectangle become that
// rectangle, named after the band. Only straight sides are joined.
void joinFrames(QList<LineRun> sides, QList<Primitive>& items, const QString& bandName)
{
    QList<LineRun> joined;
    for (LineRun& side : sides) { // from left to right, from top to bottom
        QLineF& l = side.line;
        if (l.x1() > l.x2() || l.y1() > l.y2())
            l = QLineF(l.p2(), l.p1());
    }
    std::stable_sort(sides.begin(), sides.end(), [](const LineRun& a, const LineRun& b) {
        return std::tuple(a.line.y1(), a.line.x1()) < std::tuple(b.line.y1(), b.line.x1());
    });
    for (const LineRun& side : sides) {
        const QLineF& l = side.line;
        const bool horizontal = near(l.y1(), l.y2());
        if (!horizontal && !near(l.x1(), l.x2())) {
            joined.append(side);
            continue;
        }
        const auto extends = [&](LineRun& run) {
            QLineF& j = run.line;
            if (run.width != side.width || run.colour != side.colour)
                return false;
            if (horizontal && near(j.y1(), j.y2()) && near(j.y1(), l.y1()) &&
                l.x1() <= j.x2() + kUnitEpsilon && l.x2() >= j.x1() - kUnitEpsilon) {
                j.setP1({std::min(j.x1(), l.x1()), j.y1()});
                j.setP2({std::max(j.x2(), l.x2()), j.y1()});
                return true;
            }
            if (!horizontal && near(j.x1(), j.x2()) && near(j.x1(), l.x1()) &&
                l.y1() <= j.y2() + kUnitEpsilon && l.y2() >= j.y1() - kUnitEpsilon) {
                j.setP1({j.x1(), std::min(j.y1(), l.y1())});
                j.setP2({j.x1(), std::max(j.y2(), l.y2())});
                return true;
            }
            return false;
        };
        if (std::none_of(joined.begin(), joined.end(), extends))
            joined.append(side);
    }

    const auto find = [&](const QLineF& wanted, const LineRun& pen) {
        for (qsizetype i = 0; i < joined.size(); ++i) {
            const LineRun& run = joined[i];
            if (run.width == pen.width && run.colour == pen.colour &&
                near(run.line.x1(), wanted.x1()) && near(run.line.y1(), wanted.y1()) &&
                near(run.line.x2(), wanted.x2()) && near(run.line.y2(), wanted.y2()))
                return i;
        }
        return qsizetype(-1);
    };
    for (qsizetype top = 0; top < joined.size(); ++top) {
        const LineRun pen = joined[top];
        const QLineF& t = pen.line;
        if (!near(t.y1(), t.y2()) || near(t.x1(), t.x2()))
            continue;
        for (qsizetype bottom = 0; bottom < joined.size(); ++bottom) {
            const QLineF& b = joined[bottom].line;
            if (bottom == top || !near(b.y1(), b.y2()) || b.y1() <= t.y1() + kUnitEpsilon ||
                !near(b.x1(), t.x1()) || !near(b.x2(), t.x2()) || find(b, pen) != bottom)
                continue;
            const qsizetype left = find(QLineF(t.x1(), t.y1(), t.x1(), b.y1()), pen);
            const qsizetype right = find(QLineF(t.x2(), t.y1(), t.x2(), b.y1()), pen);
            if (left < 0 || right < 0)
                continue;
            items.append(RectRun{bandName, QRectF(t.p1(), b.p2()), pen.width, pen.colour, {}});
            QList<qsizetype> used{top, bottom, left, right};
            std::sort(used.begin(), used.end(), std::greater<>());
            for (qsizetype i : used)
                joined.removeAt(i);
            top = -1;
            break;
        }
    }
    for (const LineRun& run : joined)
        items.append(run);
}

} // namespace

BandLayouter::BandLayouter(ValueResolver& resolver, const TextMeasurer& measurer)
    : m_resolver(resolver), m_measurer(measurer)
{}

QImage BandLayouter::pictureFromBytes(const QByteArray& bytes)
{
    auto found = m_pictures.constFind(bytes);
    if (found != m_pictures.constEnd())
        return *found;
    if (m_pictures.size() > 64)
        m_pictures.clear();
    // Bytes that are no picture print as an empty box.
    const QImage image = QImage::fromData(bytes);
    m_pictures.insert(bytes, image);
    return image;
}

BandInstance BandLayouter::layout(const Band& band)
{
    QList<Placed> placed;
    for (const auto& object : band.objects()) {
        Placed item{object.get(), object->geometry(), object->geometry(), {}};
        if (const TextObject* text = asText(item)) {
            const QString value = m_resolver.evaluate(text->textTemplate(), text->name());
            const QMarginsF& padding = text->padding();
            item.lines = m_measurer.shape(value, text->font(),
                                          item.rect.width() - padding.left() - padding.right(),
                                          text->wordWrap());
            const qreal needed = item.lines.size() * m_measurer.lineHeight(text->font()) +
                                 padding.top() + padding.bottom();
            if (text->stretch() != TextObject::Stretch::None && needed > item.rect.height())
                item.rect.setHeight(needed);
        }
        placed.append(item);
    }
    shiftOverlapped(placed);

    qreal lowest = 0;
    for (const Placed& item : placed)
        lowest = std::max(lowest, item.rect.bottom());
    for (Placed& item : placed) {
        const TextObject* text = asText(item);
        if (text && text->stretch() == TextObject::Stretch::ToTallest)
            item.rect.setBottom(std::max(item.rect.bottom(), lowest));
    }

    BandInstance instance;
    instance.height = band.stretch() ? std::max(band.height(), lowest) : band.height();
    QList<LineRun> frameSides;

    for (const Placed& item : placed) {
        switch (item.object->type()) {
        case ReportObject::Type::Text: {
            const auto& text = static_cast<const TextObject&>(*item.object);
            TextRun run{text.name(), item.rect,     item.rect,   {},
                        text.font(), text.colour(), text.fill(), text.horizontalAlignment()};
            const QRectF content = item.rect.marginsRemoved(text.padding());
            const qreal lineHeight = m_measurer.lineHeight(text.font());
            const qreal total = item.lines.size() * lineHeight;
            qreal y = content.top();
            if (total < content.height()) {
                if (text.verticalAlignment() & Qt::AlignVCenter)
                    y += (content.height() - total) / 2;
                else if (text.verticalAlignment() & Qt::AlignBottom)
                    y += content.height() - total;
            }
            for (const ShapedLine& line : item.lines) {
                run.lines.append(TextLine{line.text,
                                          QRectF(content.left(), y, content.width(), lineHeight),
                                          line.width, line.glyphs});
                y += lineHeight;
            }
            // Text stays inside its box, and a band that does not stretch cuts its
            // objects at its bottom.
            run.clip.setTop(std::max(run.clip.top(), 0.0));
            run.cutAt(instance.height);
            const bool hasText = std::any_of(run.lines.cbegin(), run.lines.cend(),
                                             [](const TextLine& l) { return !l.text.isEmpty(); });
            if (hasText || run.fill.isValid())
                instance.items.append(run);
            addFrame(frameSides, text, item.rect);
            break;
        }
        case ReportObject::Type::Picture: {
            const auto& picture = static_cast<const PictureObject&>(*item.object);
            QImage image = picture.image();
            if (picture.isBoundToField()) {
                const QVariant value = m_resolver.fieldValue(picture.dataSourceName(),
                                                             picture.fieldName(), picture.name());
                image = pictureFromBytes(value.toByteArray());
            }
            if (!image.isNull()) {
                instance.items.append(
                    ImageRun{picture.name(), item.rect,
                             fitted(image.size(), item.rect, picture.keepAspectRatio()), image});
            }
            break;
        }
        case ReportObject::Type::Line: {
            const auto& line = static_cast<const LineObject&>(*item.object);
            const QPointF end = line.orientation() == Qt::Horizontal
                                    ? item.rect.topLeft() + QPointF(line.length(), 0)
                                    : item.rect.topLeft() + QPointF(0, line.length());
            instance.items.append(LineRun{line.name(), QLineF(item.rect.topLeft(), end),
                                          line.penWidth(), line.colour()});
            break;
        }
        case ReportObject::Type::Shape: {
            const auto& shape = static_cast<const ShapeObject&>(*item.object);
            instance.items.append(
                RectRun{shape.name(), item.rect, shape.penWidth(), shape.colour(), shape.fill()});
            break;
        }
        }
    }
    joinFrames(std::move(frameSides), instance.items, band.name());
    return instance;
}

qreal BandLayouter::height(const Band& band)
{
    // A band that does not stretch has its height whatever its texts say.
    return band.stretch() ? layout(band).height : band.height();
}

} // namespace tavrel::report
