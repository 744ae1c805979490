#pragma once

#include "TavrelReportsExport.h"

#include "ReportObject.h"

#include <QColor>

namespace tavrel::report {

// A rectangle outline, optionally filled.
class TAVREL_REPORTS_EXPORT ShapeObject : public ReportObject
{
public:
    ShapeObject(const QString& name, const QRectF& geometry);

    qreal penWidth() const { return m_penWidth; }
    ShapeObject& setPenWidth(qreal width);
    const QColor& colour() const { return m_colour; }
    ShapeObject& setColour(const QColor& colour);
    // Invalid colour: not filled.
    const QColor& fill() const { return m_fill; }
    ShapeObject& setFill(const QColor& fill);

private:
    qreal m_penWidth = 1;
    QColor m_colour = Qt::black;
    QColor m_fill;
};

} // namespace tavrel::report
