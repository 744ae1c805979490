#include "ShapeObject.h"

namespace tavrel::report {

ShapeObject::ShapeObject(const QString& name, const QRectF& geometry)
    : ReportObject(Type::Shape, name, geometry)
{}

ShapeObject& ShapeObject::setPenWidth(qreal width)
{
    m_penWidth = width;
    return *this;
}

ShapeObject& ShapeObject::setColour(const QColor& colour)
{
    m_colour = colour;
    return *this;
}

ShapeObject& ShapeObject::setFill(const QColor& fill)
{
    m_fill = fill;
    return *this;
}

} // namespace tavrel::report
