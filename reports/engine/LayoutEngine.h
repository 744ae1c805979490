#pragma once

#include "LaidOutDocument.h"
#include "ReportDataSource.h"
#include "ReportSettings.h"
#include "ValueResolver.h"

#include <QList>

namespace tavrel::report {

class Report;

// Lays a report out into pages:
// - the page header at the top of every page (or of the first only), then on the first
//   page the title bands, then the column headers on every page;
// - the data bands, one printing per record; a printing that does not fit in what is
//   left of the page moves whole to the next page, so a block is never split;
// - the summary bands once after the last record;
// - the page footers at the bottom of the printable area of every page (or of the last).
// A source that no data band runs through is not moved: its fields show the record it
// stands on. When every data source of the data bands is empty only page header and
// footer print (or nothing, when the report says so). A report that shows [TOTALPAGES#] is laid out
// twice; its BeforePrint hooks then run in both passes.
class LayoutEngine
{
public:
    using VariablesCallback = ValueResolver::VariablesCallback;

    // Data sources are not owned; they must outlive layout(). Their names must differ.
    void addDataSource(ReportDataSource* source);
    void setVariablesCallback(VariablesCallback callback);
    void setSettings(const ReportSettings& settings);

    // Throws ModuleError when the report names a data source, field or variable that
    // does not exist, or when its bands are out of order.
    LaidOutDocument layout(Report& report) const;

private:
    void check(const Report& report, const ValueResolver& resolver) const;

    QList<ReportDataSource*> m_sources;
    VariablesCallback m_variables;
    ReportSettings m_settings;
};

} // namespace tavrel::report
