#include "PagePass.h"

#include "Report.h"
#include "ReportDataSource.h"
#include "ReportUnits.h"
#include "TextObject.h"
#include "ValueResolver.h"

namespace tavrel::report {

using Phase = PagePass::Mark::Phase;

PagePass::PagePass(Report& report, ValueResolver& resolver, BandLayouter& layouter)
    : m_report(report), m_resolver(resolver), m_layouter(layouter),
      m_printable(report.page().printableRect()), m_nextMark(Mark())
{
    m_titles = bandsOf(Band::Kind::Title);
    m_summaries = bandsOf(Band::Kind::Summary);
    m_headers = bandsOf(Band::Kind::PageHeader);
    m_columnHeaders = bandsOf(Band::Kind::ColumnHeader);
    m_footers = bandsOf(Band::Kind::PageFooter);
    for (const auto& band : m_report.bands()) {
        if (band->kind() == Band::Kind::MasterData)
            m_groups.append(Group{band.get(), {}});
        else if (band->kind() == Band::Kind::Detail && !m_groups.isEmpty())
            m_groups.back().details.append(band.get());
    }
    for (Group& group : m_groups) {
        const ReportDataSource* source = sourceOf(*group.master);
        group.countedWithoutWalk = source && group.details.isEmpty() && !group.master->stretch() &&
                                   !group.master->beforePrint() && !stretchingTextShows(*source);
    }
}

bool PagePass::stretchingTextShows(const ReportDataSource& source) const
{
    for (const auto& band : m_report.bands()) {
        for (const auto& object : band->objects()) {
            if (object->type() != ReportObject::Type::Text)
                continue;
            const auto& text = static_cast<const TextObject&>(*object);
            if (!band->stretch() && text.stretch() == TextObject::Stretch::None)
                continue;
            for (const TextTemplate::Token& token : text.textTemplate().tokens()) {
                if (token.kind == TextTemplate::Token::Kind::Field &&
                    token.source.compare(source.name(), Qt::CaseInsensitive) == 0)
                    return true;
            }
        }
    }
    return false;
}

QList<Band*> PagePass::bandsOf(Band::Kind kind) const
{
    QList<Band*> found;
    for (const auto& band : m_report.bands()) {
        if (band->kind() == kind)
            found.append(band.get());
    }
    return found;
}

ReportDataSource* PagePass::sourceOf(const Band& band) const
{
    return band.dataSourceName().isEmpty() ? nullptr : m_resolver.findSource(band.dataSourceName());
}

void PagePass::seek(ReportDataSource* source, int line) const
{
    if (source && line > 0)
        source->seek(line - 1);
}

bool PagePass::isEmpty() const
{
    bool bound = false;
    for (const Group& group : m_groups) {
        ReportDataSource* source = sourceOf(*group.master);
        if (!source)
            return false; // a data band without a source prints once
        bound = true;
        source->first();
        if (!source->eof())
            return false;
    }
    return bound;
}

bool PagePass::allowedOnPage(const Band& band, bool lastPage) const
{
    switch (band.pageScope()) {
    case Band::PageScope::FirstPageOnly:
        return m_page.number == 1;
    case Band::PageScope::LastPageOnly:
        return band.kind() != Band::Kind::PageFooter || lastPage;
    case Band::PageScope::EveryPage:
        break;
    }
    return true;
}

bool PagePass::wantsPrint(Band& band)
{
    bool print = true;
    if (band.beforePrint())
        band.beforePrint()(band, print);
    return print;
}

void PagePass::resume(const Mark& mark)
{
    m_at = mark;
    m_nextMark = mark;
    m_done.reset();
    m_empty = false; // a report without records has one page, which begins at the start
    if (mark.phase == Phase::Masters || mark.phase == Phase::Details) {
        const Group& group = m_groups[mark.index];
        seek(sourceOf(*group.master), mark.masterLine);
        if (mark.phase == Phase::Details && mark.detail < group.details.size())
            seek(sourceOf(*group.details[mark.detail]), mark.detailLine);
    }
    m_resolver.setCount(mark.count);
    m_resolver.setLine(mark.line);
}

bool PagePass::nextPage(LaidOutPage& page, bool keepItems)
{
    if (!m_nextMark)
        return false;
    m_keepItems = keepItems;
    m_done.reset();
    if (m_at.phase == Phase::Start) {
        // Only the data bands move their sources; any other source shows the record it
        // stands on, like the company chosen for the page header.
        m_at = Mark();
        m_resolver.setCount(0);
        m_resolver.setLine(0);
        m_empty = isEmpty();
        if (m_empty && !m_report.printIfEmpty()) {
            m_nextMark.reset();
            return false;
        }
        m_at.phase = m_empty ? Phase::End : Phase::Titles;
    }
    startPage();
    if (Band* pending = std::exchange(m_at.pending, nullptr))
        placeFlowing(*pending, m_at.pendingCounts, true);
    while (!m_done)
        step();
    page = std::move(*m_done);
    m_done.reset();
    return true;
}

void PagePass::step()
{
    switch (m_at.phase) {
    case Phase::Start:
    case Phase::Titles:
        if (m_at.index < m_titles.size()) {
            placeFlowing(*m_titles[m_at.index++]);
            return;
        }
        m_at.titlesDone = true;
        placeColumnHeaders();
        m_at.phase = Phase::Masters;
        m_at.index = 0;
        m_at.masterLine = 0;
        return;
    case Phase::Masters:
        if (m_at.index < m_groups.size()) {
            stepMaster(m_groups[m_at.index]);
        } else {
            m_at.phase = Phase::Summaries;
            m_at.index = 0;
        }
        return;
    case Phase::Details:
        stepDetail(m_groups[m_at.index]);
        return;
    case Phase::Summaries:
        if (m_at.index < m_summaries.size())
            placeFlowing(*m_summaries[m_at.index++]);
        else
            m_at.phase = Phase::End;
        return;
    case Phase::End:
        finishPage(true);
        return;
    }
}

bool PagePass::stepMaster(const Group& group)
{
    ReportDataSource* source = sourceOf(*group.master);
    const bool walk = m_keepItems || !group.countedWithoutWalk;
    if (source && walk)
        m_at.masterLine == 0 ? source->first() : source->next();
    const bool over = !source ? m_at.masterLine >= 1
                      : walk  ? source->eof()
                              : m_at.masterLine >= source->recordCount();
    if (over) {
        ++m_at.index;
        m_at.masterLine = 0;
        return false;
    }
    m_at.line = ++m_at.masterLine;
    m_resolver.setLine(m_at.line);
    m_at.phase = Phase::Details;
    m_at.detail = 0;
    m_at.detailLine = 0;
    return placeFlowing(*group.master, true);
}

bool PagePass::stepDetail(const Group& group)
{
    if (m_at.detail >= group.details.size()) {
        m_at.phase = Phase::Masters;
        return false;
    }
    Band& band = *group.details[m_at.detail];
    ReportDataSource* source = sourceOf(band);
    if (source)
        m_at.detailLine == 0 ? source->first() : source->next();
    if (source ? source->eof() : m_at.detailLine >= 1) {
        ++m_at.detail;
        m_at.detailLine = 0;
        return false;
    }
    m_at.line = ++m_at.detailLine;
    m_resolver.setLine(m_at.line);
    return placeFlowing(band);
}

BandInstance PagePass::layOut(Band& band)
{
    return m_keepItems ? m_layouter.layout(band) : BandInstance{m_layouter.height(band), {}};
}

void PagePass::startPage()
{
    m_page = LaidOutPage{m_at.page, {}};
    m_resolver.setPage(m_page.number);
    m_y = m_printable.top();
    m_hasFlow = false;
    for (Band* header : m_headers) {
        if (!allowedOnPage(*header, false) || !wantsPrint(*header))
            continue;
        const BandInstance instance = layOut(*header);
        place(instance, m_y, m_printable.bottom());
        m_y += instance.height + header->spaceAfter();
    }
    m_limit = m_printable.bottom() - footerReserve();
    if (m_at.titlesDone)
        placeColumnHeaders();
}

void PagePass::placeColumnHeaders()
{
    if (m_empty)
        return;
    for (Band* columnHeader : m_columnHeaders) {
        if (!wantsPrint(*columnHeader))
            continue;
        const BandInstance instance = layOut(*columnHeader);
        place(instance, m_y, m_limit);
        m_y += instance.height + columnHeader->spaceAfter();
    }
}

qreal PagePass::footerReserve()
{
    // Footers are printed when the page closes; their room is kept from the start.
    // A footer for the last page only is given room on every page, since which page is
    // the last is known only at the end.
    qreal reserve = 0;
    for (Band* footer : m_footers) {
        if (footer->pageScope() == Band::PageScope::FirstPageOnly && m_page.number != 1)
            continue;
        reserve += m_layouter.height(*footer);
    }
    return reserve;
}

void PagePass::finishPage(bool lastPage)
{
    QList<BandInstance> footers;
    qreal total = 0;
    for (Band* footer : m_footers) {
        if (!allowedOnPage(*footer, lastPage) || !wantsPrint(*footer))
            continue;
        footers.append(layOut(*footer));
        total += footers.back().height;
    }
    qreal y = m_printable.bottom() - total;
    for (const BandInstance& instance : footers) {
        place(instance, y, m_printable.bottom());
        y += instance.height;
    }
    m_done = std::move(m_page);
    ++m_at.page;
    if (lastPage)
        m_nextMark.reset();
    else
        m_nextMark = m_at;
}

BandInstance PagePass::layoutCounting(Band& band, bool countsRecord)
{
    m_resolver.setCount(countsRecord ? m_at.count + 1 : m_at.count);
    BandInstance instance = layOut(band);
    m_resolver.setCount(m_at.count);
    return instance;
}

bool PagePass::placeFlowing(Band& band, bool countsRecord, bool asked)
{
    if (!asked && !wantsPrint(band))
        return false;
    const BandInstance instance = layoutCounting(band, countsRecord);
    if (m_hasFlow && m_y + instance.height > m_limit + kUnitEpsilon) {
        // Laid out again on the next page: its number and anything else may differ.
        m_at.pending = &band;
        m_at.pendingCounts = countsRecord;
        finishPage(false);
        return true;
    }
    // A band taller than a whole page stays whole on its own page and is cut at the footer.
    place(instance, m_y, m_limit);
    m_y += instance.height + band.spaceAfter();
    m_hasFlow = true;
    if (countsRecord)
        m_resolver.setCount(++m_at.count);
    return true;
}

void PagePass::place(const BandInstance& instance, qreal top, qreal cutAt)
{
    if (!m_keepItems)
        return;
    const QPointF offset(m_printable.left(), top);
    for (Primitive item : instance.items) {
        translate(item, offset);
        if (auto* text = std::get_if<TextRun>(&item); text && text->clip.bottom() > cutAt)
            text->cutAt(cutAt);
        m_page.items.append(std::move(item));
    }
}

} // namespace tavrel::report
