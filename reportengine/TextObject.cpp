#include "TextObject.h"

namespace tavrel::report {

TextObject::TextObject(const QString& name, const QRectF& geometry, const QString& text)
    : ReportObject(Type::Text, name, geometry), m_template(text)
{}

TextObject& TextObject::setText(const QString& text)
{
    m_template = TextTemplate(text);
    return *this;
}

TextObject& TextObject::setFont(const FontSpec& font)
{
    m_font = font;
    return *this;
}

TextObject& TextObject::setFontPixelSize(qreal pixelSize)
{
    m_font.pixelSize = pixelSize;
    return *this;
}

TextObject& TextObject::setBold(bool bold)
{
    m_font.bold = bold;
    return *this;
}

TextObject& TextObject::setItalic(bool italic)
{
    m_font.italic = italic;
    return *this;
}

TextObject& TextObject::setColour(const QColor& colour)
{
    m_colour = colour;
    return *this;
}

TextObject& TextObject::setFill(const QColor& fill)
{
    m_fill = fill;
    return *this;
}

TextObject& TextObject::setHorizontalAlignment(Qt::Alignment alignment)
{
    m_hAlign = alignment & Qt::AlignHorizontal_Mask;
    return *this;
}

TextObject& TextObject::setVerticalAlignment(Qt::Alignment alignment)
{
    m_vAlign = alignment & Qt::AlignVertical_Mask;
    return *this;
}

TextObject& TextObject::setFrame(Frame::Sides sides, qreal width)
{
    m_frame.sides = sides;
    m_frame.width = width;
    return *this;
}

TextObject& TextObject::setWordWrap(bool wrap)
{
    m_wordWrap = wrap;
    return *this;
}

TextObject& TextObject::setStretch(Stretch stretch)
{
    m_stretch = stretch;
    return *this;
}

TextObject& TextObject::setShiftWhenOverlapped(bool shift)
{
    m_shift = shift;
    return *this;
}

TextObject& TextObject::setPadding(const QMarginsF& padding)
{
    m_padding = padding;
    return *this;
}

} // namespace tavrel::report
