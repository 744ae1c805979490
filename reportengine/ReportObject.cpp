#include "ReportObject.h"

namespace tavrel::report {

ReportObject::ReportObject(Type type, const QString& name, const QRectF& geometry)
    : m_type(type), m_name(name), m_geometry(geometry)
{}

ReportObject::~ReportObject() = default;

} // namespace tavrel::report
