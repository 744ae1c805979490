#pragma once

#include "Band.h"
#include "BandLayouter.h"
#include "LaidOutDocument.h"

#include <QList>

namespace tavrel::report {

class Report;
class ReportDataSource;
class ValueResolver;

// One pass of the layout engine over the report: runs the sources of the data bands and
// puts the printed bands on pages. Sources that no data band names are not moved.
class PagePass
{
public:
    PagePass(Report& report, ValueResolver& resolver, BandLayouter& layouter);

    QList<LaidOutPage> run();

private:
    struct Group
    {
        Band* master = nullptr;
        QList<Band*> details;
    };

    QList<Band*> bandsOf(Band::Kind kind) const;
    QList<Group> groups() const;
    bool isEmpty() const;
    ReportDataSource* sourceOf(const Band& band) const;
    bool allowedOnPage(const Band& band, bool lastPage) const;
    static bool wantsPrint(Band& band);

    void startPage();
    void placeColumnHeaders();
    void finishPage(bool lastPage);
    qreal footerReserve();
    void place(const BandInstance& instance, qreal top, qreal cutAt);
    // Puts a title, data or summary band after the previous one, on a new page when it
    // does not fit. A master record counts in COUNT# from its own printing on.
    bool placeFlowing(Band& band, bool countsRecord = false);
    BandInstance layoutCounting(Band& band, bool countsRecord);
    void runDataBand(Band& band, const QList<Band*>& details);

    Report& m_report;
    ValueResolver& m_resolver;
    BandLayouter& m_layouter;
    QRectF m_printable;

    QList<LaidOutPage> m_pages;
    LaidOutPage m_page;
    bool m_empty = false;
    qreal m_y = 0;          // where the next band goes
    qreal m_limit = 0;      // where the page footers begin
    bool m_hasFlow = false; // the page holds a title, data or summary band
    int m_count = 0;
    bool m_titlesDone = false; // column headers follow the titles on the first page
};

} // namespace tavrel::report
