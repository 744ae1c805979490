#include "BandLayouter.h"

#include "Band.h"
#include "ReportUnits.h"
#include "TextMeasurer.h"
#include "ValueResolver.h"

#include <algorithm>
#include <numeric>

namespace tavrel::report {

namespace {

// An object of the band on its way to the page.
struct Placed
{
    const ReportObject* object = nullptr;
    QRectF original;
    QRectF rect;
    QStringList lines;
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

void addFrame(QList<Primitive>& items, const TextObject& text, const QRectF& box)
{
    const Frame& frame = text.frame();
    const auto side = [&](Frame::Side which, QPointF from, QPointF to) {
        if (frame.sides.testFlag(which))
            items.append(LineRun{text.name(), QLineF(from, to), frame.width, frame.colour});
    };
    side(Frame::Left, box.topLeft(), box.bottomLeft());
    side(Frame::Top, box.topLeft(), box.topRight());
    side(Frame::Right, box.topRight(), box.bottomRight());
    side(Frame::Bottom, box.bottomLeft(), box.bottomRight());
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
            item.lines = m_measurer.breakLines(value, text->font(),
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
            for (const QString& line : item.lines) {
                run.lines.append(
                    TextLine{line, QRectF(content.left(), y, content.width(), lineHeight)});
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
            addFrame(instance.items, text, item.rect);
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
    return instance;
}

} // namespace tavrel::report
