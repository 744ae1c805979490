#include "ReportDataSource.h"

namespace tavrel::report {

ReportDataSource::~ReportDataSource() = default;

} // namespace tavrel::report
