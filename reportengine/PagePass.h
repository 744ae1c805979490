#pragma once

#include "TavrelReportsExport.h"

#include "Band.h"
#include "BandLayouter.h"
#include "LaidOutDocument.h"

#include <QList>

#include <optional>

namespace tavrel::report {

class Report;
class ReportDataSource;
class ValueResolver;

// The layout engine's walk over a report, a page at a time: runs the sources of the data
// bands and puts the printed bands on pages. Sources that no data band names are not
// moved. Where each page begins is kept as a Mark, from which the walk can start again
// (the sources are moved back to their records), so that any page can be laid out anew
// without the pages before it.
class TAVREL_REPORTS_EXPORT PagePass
{
public:
    // The state of the walk where a page begins.
    struct Mark
    {
        enum class Phase
        {
            Start,
            Titles,
            Masters,
            Details,
            Summaries,
            End,
        };
        Phase phase = Phase::Start;
        int page = 1;       // the page that begins here
        int index = 0;      // title, group or summary being printed
        int detail = 0;     // detail band of the group
        int masterLine = 0; // records of the group's master printed so far
        int detailLine = 0;
        int count = 0;
        int line = 0; // LINE# as it stands
        bool titlesDone = false;
        Band* pending = nullptr; // the band that did not fit on the page before
        bool pendingCounts = false;
    };

    PagePass(Report& report, ValueResolver& resolver, BandLayouter& layouter);

    // Starts again at `mark`; a default mark is the first page.
    void resume(const Mark& mark);
    // Lays out the next page; false when there are no more. With `keepItems` off only the
    // heights are worked out and the page comes back without primitives.
    bool nextPage(LaidOutPage& page, bool keepItems = true);
    // Where the next page begins; empty when the walk is over.
    std::optional<Mark> nextMark() const { return m_nextMark; }

private:
    struct Group
    {
        Band* master = nullptr;
        QList<Band*> details;
        // Counting needs no walk: a master of fixed height, without details or BeforePrint,
        // whose source no stretching text shows. Its records are counted, not visited.
        bool countedWithoutWalk = false;
    };

    QList<Band*> bandsOf(Band::Kind kind) const;
    bool stretchingTextShows(const ReportDataSource& source) const;
    bool isEmpty() const;
    ReportDataSource* sourceOf(const Band& band) const;
    void seek(ReportDataSource* source, int line) const;
    bool allowedOnPage(const Band& band, bool lastPage) const;
    static bool wantsPrint(Band& band);

    void step();
    bool stepMaster(const Group& group);
    bool stepDetail(const Group& group);
    void startPage();
    void placeColumnHeaders();
    void finishPage(bool lastPage);
    qreal footerReserve();
    BandInstance layOut(Band& band);
    void place(const BandInstance& instance, qreal top, qreal cutAt);
    // Puts a title, data or summary band after the previous one, on a new page when it
    // does not fit. A master record counts in COUNT# from its own printing on.
    // `asked`: its BeforePrint already ran for this printing.
    bool placeFlowing(Band& band, bool countsRecord = false, bool asked = false);
    BandInstance layoutCounting(Band& band, bool countsRecord);

    Report& m_report;
    ValueResolver& m_resolver;
    BandLayouter& m_layouter;
    QRectF m_printable;
    QList<Band*> m_titles, m_summaries, m_headers, m_columnHeaders, m_footers;
    QList<Group> m_groups;

    Mark m_at; // the walk as it stands
    std::optional<Mark> m_nextMark;
    std::optional<LaidOutPage> m_done; // a page finished by the last step
    LaidOutPage m_page;
    bool m_keepItems = true;
    bool m_empty = false;
    qreal m_y = 0;          // where the next band goes
    qreal m_limit = 0;      // where the page footers begin
    bool m_hasFlow = false; // the page holds a title, data or summary band
};

} // namespace tavrel::report
