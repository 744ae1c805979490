#include "PictureObject.h"

namespace tavrel::report {

PictureObject::PictureObject(const QString& name, const QRectF& geometry)
    : ReportObject(Type::Picture, name, geometry)
{}

PictureObject& PictureObject::setImage(const QImage& image)
{
    m_image = image;
    m_source.clear();
    m_field.clear();
    return *this;
}

PictureObject& PictureObject::setField(const QString& dataSourceName, const QString& fieldName)
{
    m_source = dataSourceName;
    m_field = fieldName;
    m_image = QImage();
    return *this;
}

PictureObject& PictureObject::setKeepAspectRatio(bool keep)
{
    m_keepAspect = keep;
    return *this;
}

} // namespace tavrel::report
