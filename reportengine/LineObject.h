#pragma once

#include "TavrelReportsExport.h"

#include "ReportObject.h"

#include <QColor>

namespace tavrel::report {

// A horizontal or vertical line starting at the geometry's top left; its length is
// the geometry's width (horizontal) or height (vertical).
class TAVREL_REPORTS_EXPORT LineObject : public ReportObject
{
public:
    LineObject(const QString& name, const QPointF& start, qreal length,
               Qt::Orientation orientation);

    Qt::Orientation orientation() const { return m_orientation; }
    qreal length() const;
    qreal penWidth() const { return m_penWidth; }
    LineObject& setPenWidth(qreal width);
    const QColor& colour() const { return m_colour; }
    LineObject& setColour(const QColor& colour);

private:
    Qt::Orientation m_orientation;
    qreal m_penWidth = 1;
    QColor m_colour = Qt::black;
};

} // namespace tavrel::report
