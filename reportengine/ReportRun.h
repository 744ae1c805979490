#pragma once

#include "TavrelReportsExport.h"

#include "LaidOutDocument.h"
#include "ReportSettings.h"
#include "ValueResolver.h"

#include <QList>

#include <climits>
#include <memory>
#include <vector>

namespace tavrel::report {

class Report;
class ReportDataSource;

// One run of a report over its data sources, laid out a page at a time: a page is made
// when it is asked for and kept by nobody, so that what a run holds does not grow with
// its pages. Pages asked for in order follow each other; any other page is laid out
// anew from where it begins, which the run remembers for every page it has passed.
// The page count is known once a pass has gone to the end; that pass works out heights
// only. A report that shows [TOTALPAGES#] makes that pass before its first page.
//
// The report and the data sources must outlive the run, except the sources it keeps.
// Throws ModuleError (from the constructor or a page) when the report names a data
// source, field or variable that does not exist, or when its bands are out of order.
class TAVREL_REPORTS_EXPORT ReportRun
{
public:
    using VariablesCallback = ValueResolver::VariablesCallback;

    ReportRun(Report& report, const QList<ReportDataSource*>& sources, VariablesCallback variables,
              const ReportSettings& settings,
              std::vector<std::shared_ptr<ReportDataSource>> keptSources = {});
    ~ReportRun();
    ReportRun(const ReportRun&) = delete;
    ReportRun& operator=(const ReportRun&) = delete;

    const QString& title() const;
    const Page& page() const;

    // Lays out page `index` (0-based) into `page`; false when the report has no such page.
    bool layOutPage(int index, LaidOutPage& page);
    // Counts up to `pages` pages more without laying them out; true once the count is known.
    bool countPages(int pages = INT_MAX);
    // The number of pages, -1 while it is not known.
    int pageCount() const;
    // Pages known to exist so far.
    int pagesKnown() const;

    // Every page, for small reports and tests.
    LaidOutDocument document();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel::report
