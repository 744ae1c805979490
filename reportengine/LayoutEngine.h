#pragma once

#include "TavrelReportsExport.h"

#include "LaidOutDocument.h"
#include "ReportDataSource.h"
#include "ReportSettings.h"
#include "ValueResolver.h"

#include <QList>

#include <memory>
#include <vector>

namespace tavrel::report {

class Report;
class ReportRun;

// Lays a report out into pages:
// - the page header at the top of every page (or of the first only), then on the first
//   page the title bands, then the column headers on every page;
// - the data bands, one printing per record; a printing that does not fit in what is
//   left of the page moves whole to the next page, so a block is never split;
// - the summary bands once after the last record;
// - the page footers at the bottom of the printable area of every page (or of the last).
// A source that no data band runs through is not moved: its fields show the record it
// stands on. When every data source of the data bands is empty only page header and
// footer print (or nothing, when the report says so). A report that shows
// [TOTALPAGES#] is counted first; its BeforePrint hooks then run in both passes.
class TAVREL_REPORTS_EXPORT LayoutEngine
{
public:
    using VariablesCallback = ValueResolver::VariablesCallback;

    // Data sources are not owned; they must outlive the layout. Their names must differ.
    void addDataSource(ReportDataSource* source);
    // A source that the runs keep alive as long as they need it.
    void addDataSource(std::unique_ptr<ReportDataSource> source);
    void setVariablesCallback(VariablesCallback callback);
    void setSettings(const ReportSettings& settings);

    // A run that lays the report out a page at a time (see ReportRun); the report must
    // outlive it. Throws ModuleError when the report names a data source that does not
    // exist, or when its bands are out of order.
    std::unique_ptr<ReportRun> start(Report& report) const;
    // Every page at once; throws ModuleError also for a field or variable that does not
    // exist.
    LaidOutDocument layout(Report& report) const;

private:
    QList<ReportDataSource*> m_sources;
    std::vector<std::shared_ptr<ReportDataSource>> m_keptSources;
    VariablesCallback m_variables;
    ReportSettings m_settings;
};

} // namespace tavrel::report
