#pragma once

#include "TavrelReportsExport.h"

#include <QRectF>
#include <QString>

namespace tavrel::report {

// Something printed inside a band. The geometry is in report units, relative to the band.
class TAVREL_REPORTS_EXPORT ReportObject
{
public:
    enum class Type
    {
        Text,
        Picture,
        Line,
        Shape
    };

    ReportObject(Type type, const QString& name, const QRectF& geometry);
    virtual ~ReportObject();
    ReportObject(const ReportObject&) = delete;
    ReportObject& operator=(const ReportObject&) = delete;

    Type type() const { return m_type; }
    const QString& name() const { return m_name; }
    const QRectF& geometry() const { return m_geometry; }
    void setGeometry(const QRectF& geometry) { m_geometry = geometry; }

private:
    Type m_type;
    QString m_name;
    QRectF m_geometry;
};

} // namespace tavrel::report
