#include "PagePass.h"

#include "Report.h"
#include "ReportDataSource.h"
#include "ReportUnits.h"
#include "ValueResolver.h"

namespace tavrel::report {

PagePass::PagePass(Report& report, ValueResolver& resolver, BandLayouter& layouter)
    : m_report(report), m_resolver(resolver), m_layouter(layouter),
      m_printable(report.page().printableRect())
{}

QList<Band*> PagePass::bandsOf(Band::Kind kind) const
{
    QList<Band*> found;
    for (const auto& band : m_report.bands()) {
        if (band->kind() == kind)
            found.append(band.get());
    }
    return found;
}

QList<PagePass::Group> PagePass::groups() const
{
    QList<Group> found;
    for (const auto& band : m_report.bands()) {
        if (band->kind() == Band::Kind::MasterData)
            found.append(Group{band.get(), {}});
        else if (band->kind() == Band::Kind::Detail && !found.isEmpty())
            found.back().details.append(band.get());
    }
    return found;
}

ReportDataSource* PagePass::sourceOf(const Band& band) const
{
    return band.dataSourceName().isEmpty() ? nullptr : m_resolver.findSource(band.dataSourceName());
}

bool PagePass::isEmpty() const
{
    bool bound = false;
    for (const auto& band : m_report.bands()) {
        if (band->kind() != Band::Kind::MasterData)
            continue;
        ReportDataSource* source = sourceOf(*band);
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

QList<LaidOutPage> PagePass::run()
{
    // Only the data bands move their sources; any other source shows the record it
    // stands on, like the company chosen for the page header.
    m_resolver.setCount(0);
    m_resolver.setLine(0);
    m_empty = isEmpty();
    if (m_empty && !m_report.printIfEmpty())
        return {};

    startPage();
    if (!m_empty) {
        for (Band* title : bandsOf(Band::Kind::Title))
            placeFlowing(*title);
        m_titlesDone = true;
        placeColumnHeaders();
        for (const Group& group : groups())
            runDataBand(*group.master, group.details);
        for (Band* summary : bandsOf(Band::Kind::Summary))
            placeFlowing(*summary);
    }
    finishPage(true);
    return m_pages;
}

void PagePass::runDataBand(Band& band, const QList<Band*>& details)
{
    const bool master = band.kind() == Band::Kind::MasterData;
    const auto printRecord = [&] {
        placeFlowing(band, master);
        for (Band* detail : details)
            runDataBand(*detail, {});
    };

    ReportDataSource* source = sourceOf(band);
    if (!source) {
        m_resolver.setLine(1);
        printRecord();
        return;
    }
    int line = 0;
    for (source->first(); !source->eof(); source->next()) {
        m_resolver.setLine(++line);
        printRecord();
    }
}

void PagePass::startPage()
{
    m_page = LaidOutPage{int(m_pages.size()) + 1, {}};
    m_resolver.setPage(m_page.number);
    m_y = m_printable.top();
    m_hasFlow = false;
    for (Band* header : bandsOf(Band::Kind::PageHeader)) {
        if (!allowedOnPage(*header, false) || !wantsPrint(*header))
            continue;
        const BandInstance instance = m_layouter.layout(*header);
        place(instance, m_y, m_printable.bottom());
        m_y += instance.height + header->spaceAfter();
    }
    m_limit = m_printable.bottom() - footerReserve();
    if (m_titlesDone)
        placeColumnHeaders();
}

void PagePass::placeColumnHeaders()
{
    if (m_empty)
        return;
    for (Band* columnHeader : bandsOf(Band::Kind::ColumnHeader)) {
        if (!wantsPrint(*columnHeader))
            continue;
        const BandInstance instance = m_layouter.layout(*columnHeader);
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
    for (Band* footer : bandsOf(Band::Kind::PageFooter)) {
        if (footer->pageScope() == Band::PageScope::FirstPageOnly && m_page.number != 1)
            continue;
        reserve += m_layouter.layout(*footer).height;
    }
    return reserve;
}

void PagePass::finishPage(bool lastPage)
{
    QList<BandInstance> footers;
    qreal total = 0;
    for (Band* footer : bandsOf(Band::Kind::PageFooter)) {
        if (!allowedOnPage(*footer, lastPage) || !wantsPrint(*footer))
            continue;
        footers.append(m_layouter.layout(*footer));
        total += footers.back().height;
    }
    qreal y = m_printable.bottom() - total;
    for (const BandInstance& instance : footers) {
        place(instance, y, m_printable.bottom());
        y += instance.height;
    }
    m_pages.append(m_page);
}

BandInstance PagePass::layoutCounting(Band& band, bool countsRecord)
{
    m_resolver.setCount(countsRecord ? m_count + 1 : m_count);
    BandInstance instance = m_layouter.layout(band);
    m_resolver.setCount(m_count);
    return instance;
}

bool PagePass::placeFlowing(Band& band, bool countsRecord)
{
    if (!wantsPrint(band))
        return false;
    BandInstance instance = layoutCounting(band, countsRecord);
    if (m_hasFlow && m_y + instance.height > m_limit + kUnitEpsilon) {
        finishPage(false);
        startPage();
        // Laid out again: the page number and anything else of the new page may differ.
        instance = layoutCounting(band, countsRecord);
    }
    // A band taller than a whole page stays whole on its own page and is cut at the footer.
    place(instance, m_y, m_limit);
    m_y += instance.height + band.spaceAfter();
    m_hasFlow = true;
    if (countsRecord)
        m_resolver.setCount(++m_count);
    return true;
}

void PagePass::place(const BandInstance& instance, qreal top, qreal cutAt)
{
    const QPointF offset(m_printable.left(), top);
    for (Primitive item : instance.items) {
        translate(item, offset);
        if (auto* text = std::get_if<TextRun>(&item); text && text->clip.bottom() > cutAt)
            text->cutAt(cutAt);
        m_page.items.append(item);
    }
}

} // namespace tavrel::report
