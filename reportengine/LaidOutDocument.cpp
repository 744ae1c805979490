#include "LaidOutDocument.h"

namespace tavrel::report {

namespace {

template <class T> QList<const T*> itemsOf(const QList<Primitive>& items)
{
    QList<const T*> found;
    for (const Primitive& item : items) {
        if (const T* typed = std::get_if<T>(&item))
            found.append(typed);
    }
    return found;
}

} // namespace

QList<const TextRun*> LaidOutPage::texts() const
{
    return itemsOf<TextRun>(items);
}

QList<const TextRun*> LaidOutPage::textsNamed(const QString& objectName) const
{
    QList<const TextRun*> found;
    for (const TextRun* run : texts()) {
        if (run->objectName == objectName)
            found.append(run);
    }
    return found;
}

QList<const LineRun*> LaidOutPage::lines() const
{
    return itemsOf<LineRun>(items);
}

QList<const RectRun*> LaidOutPage::rects() const
{
    return itemsOf<RectRun>(items);
}

QList<const ImageRun*> LaidOutPage::images() const
{
    return itemsOf<ImageRun>(items);
}

} // namespace tavrel::report
