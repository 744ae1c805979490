#pragma once

#include "TavrelReportsExport.h"

#include "ReportObject.h"

#include <QImage>

namespace tavrel::report {

// A picture: either a fixed image or the blob bytes (PNG, JPEG, BMP) of a field.
// The picture is fitted into the box, centred, and keeps its aspect ratio unless told not to.
class TAVREL_REPORTS_EXPORT PictureObject : public ReportObject
{
public:
    PictureObject(const QString& name, const QRectF& geometry);

    const QImage& image() const { return m_image; }
    PictureObject& setImage(const QImage& image);

    const QString& dataSourceName() const { return m_source; }
    const QString& fieldName() const { return m_field; }
    // Takes the picture from a field of a data source; replaces a fixed image.
    PictureObject& setField(const QString& dataSourceName, const QString& fieldName);
    bool isBoundToField() const { return !m_field.isEmpty(); }

    bool keepAspectRatio() const { return m_keepAspect; }
    PictureObject& setKeepAspectRatio(bool keep);

private:
    QImage m_image;
    QString m_source;
    QString m_field;
    bool m_keepAspect = true;
};

} // namespace tavrel::report
