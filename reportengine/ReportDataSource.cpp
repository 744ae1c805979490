#include "ReportDataSource.h"

namespace tavrel::report {

ReportDataSource::~ReportDataSource() = default;

void ReportDataSource::seek(int index)
{
    first();
    for (int i = 0; i < index && !eof(); ++i)
        next();
}

} // namespace tavrel::report
