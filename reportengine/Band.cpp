#include "Band.h"

namespace tavrel::report {

Band::Band(Kind kind, qreal height, const QString& name)
    : m_kind(kind), m_name(name), m_height(height)
{}

Band::~Band() = default;

Band& Band::setHeight(qreal height)
{
    m_height = height;
    return *this;
}

Band& Band::setStretch(bool stretch)
{
    m_stretch = stretch;
    return *this;
}

Band& Band::setSpaceAfter(qreal space)
{
    m_spaceAfter = space;
    return *this;
}

Band& Band::setDataSourceName(const QString& name)
{
    m_dataSource = name;
    return *this;
}

Band& Band::setPageScope(PageScope scope)
{
    m_scope = scope;
    return *this;
}

Band& Band::setBeforePrint(BeforePrint hook)
{
    m_beforePrint = std::move(hook);
    return *this;
}

template <class T> T& Band::add(std::unique_ptr<T> object)
{
    T& ref = *object;
    m_objects.push_back(std::move(object));
    return ref;
}

TextObject& Band::addText(const QString& name, const QRectF& geometry, const QString& text)
{
    return add(std::make_unique<TextObject>(name, geometry, text));
}

PictureObject& Band::addPicture(const QString& name, const QRectF& geometry)
{
    return add(std::make_unique<PictureObject>(name, geometry));
}

LineObject& Band::addLine(const QString& name, const QPointF& start, qreal length,
                          Qt::Orientation orientation)
{
    return add(std::make_unique<LineObject>(name, start, length, orientation));
}

ShapeObject& Band::addShape(const QString& name, const QRectF& geometry)
{
    return add(std::make_unique<ShapeObject>(name, geometry));
}

ReportObject* Band::object(const QString& name) const
{
    for (const auto& object : m_objects) {
        if (object->name() == name)
            return object.get();
    }
    return nullptr;
}

TextObject* Band::text(const QString& name) const
{
    ReportObject* found = object(name);
    return found && found->type() == ReportObject::Type::Text ? static_cast<TextObject*>(found)
                                                              : nullptr;
}

} // namespace tavrel::report
