#include "LineObject.h"

namespace tavrel::report {

namespace {

QRectF lineGeometry(const QPointF& start, qreal length, Qt::Orientation orientation)
{
    return orientation == Qt::Horizontal ? QRectF(start, QSizeF(length, 0))
                                         : QRectF(start, QSizeF(0, length));
}

} // namespace

LineObject::LineObject(const QString& name, const QPointF& start, qreal length,
                       Qt::Orientation orientation)
    : ReportObject(Type::Line, name, lineGeometry(start, length, orientation)),
      m_orientation(orientation)
{}

qreal LineObject::length() const
{
    return m_orientation == Qt::Horizontal ? geometry().width() : geometry().height();
}

LineObject& LineObject::setPenWidth(qreal width)
{
    m_penWidth = width;
    return *this;
}

LineObject& LineObject::setColour(const QColor& colour)
{
    m_colour = colour;
    return *this;
}

} // namespace tavrel::report
