#pragma once

#include "TavrelReportsExport.h"

#include "LayoutPrimitives.h"

#include <QByteArray>
#include <QHash>
#include <QImage>

namespace tavrel::report {

class Band;
class TextMeasurer;
class ValueResolver;

// One printing of a band: its final height and its primitives relative to the band.
struct TAVREL_REPORTS_EXPORT BandInstance
{
    qreal height = 0;
    QList<Primitive> items;
};

// Lays out one band for the current record: evaluates texts, breaks them into lines,
// grows stretching boxes, shifts boxes pushed down by a grown box above them, grows
// the band when it stretches and cuts what does not fit.
class TAVREL_REPORTS_EXPORT BandLayouter
{
public:
    BandLayouter(ValueResolver& resolver, const TextMeasurer& measurer);

    BandInstance layout(const Band& band);
    // The height layout() would give, without making the primitives where it can.
    qreal height(const Band& band);

private:
    QImage pictureFromBytes(const QByteArray& bytes);

    ValueResolver& m_resolver;
    const TextMeasurer& m_measurer;
    // Decoded pictures by their bytes, so a logo on every page is decoded once and
    // written into a PDF once.
    QHash<QByteArray, QImage> m_pictures;
};

} // namespace tavrel::report
