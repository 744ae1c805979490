#include "ReportRun.h"

#include "BandLayouter.h"
#include "ModuleError.h"
#include "PagePass.h"
#include "Report.h"
#include "TextMeasurer.h"
#include "TextObject.h"

namespace tavrel::report {

namespace {

QString bandLabel(const Band& band)
{
    return band.name().isEmpty() ? QStringLiteral("(sin nombre)") : band.name();
}

void check(const Report& report, const ValueResolver& resolver)
{
    bool hasMaster = false;
    for (const auto& band : report.bands()) {
        if (band->kind() == Band::Kind::MasterData)
            hasMaster = true;
        if (band->kind() == Band::Kind::Detail && !hasMaster) {
            throw ModuleError(QStringLiteral("La banda de detalle «%1» no tiene antes una banda "
                                             "maestra de datos.")
                                  .arg(bandLabel(*band)));
        }
        if (band->isDataBand() && !band->dataSourceName().isEmpty() &&
            !resolver.findSource(band->dataSourceName())) {
            throw ModuleError(QStringLiteral("La banda «%1» usa el origen de datos «%2», que no "
                                             "está registrado.")
                                  .arg(bandLabel(*band), band->dataSourceName()));
        }
    }
}

bool showsTotalPages(const Report& report)
{
    for (const auto& band : report.bands()) {
        for (const auto& object : band->objects()) {
            if (object->type() != ReportObject::Type::Text)
                continue;
            const auto& text = static_cast<const TextObject&>(*object);
            for (const TextTemplate::Token& token : text.textTemplate().tokens()) {
                if (token.kind == TextTemplate::Token::Kind::Name &&
                    token.text.compare(u"TOTALPAGES#", Qt::CaseInsensitive) == 0)
                    return true;
            }
        }
    }
    return false;
}

} // namespace

struct ReportRun::Private
{
    Private(Report& r, const QList<ReportDataSource*>& sources, VariablesCallback variables,
            const ReportSettings& settings, std::vector<std::shared_ptr<ReportDataSource>> kept)
        : report(r), keptSources(std::move(kept)),
          resolver(r, sources, std::move(variables), settings), layouter(resolver, measurer),
          pass(r, resolver, layouter)
    {}

    void restart()
    {
        marks = {PagePass::Mark()};
        complete = false;
        liveNext = -1;
    }
    // After a page of the pass: where the next one begins, or the end.
    void passed(int index);
    void settleTotal();

    Report& report;
    std::vector<std::shared_ptr<ReportDataSource>> keptSources;
    ValueResolver resolver;
    TextMeasurer measurer;
    BandLayouter layouter;
    PagePass pass;
    QList<PagePass::Mark> marks{PagePass::Mark()}; // where each known page begins
    bool complete = false;
    int liveNext = -1;        // the page the pass stands at the start of, if any
    bool liveLaidOut = false; // the pass got there laying out, its sources on their records
    bool totalPending = false;
};

void ReportRun::Private::passed(int index)
{
    if (const std::optional<PagePass::Mark> next = pass.nextMark()) {
        if (index + 1 == marks.size())
            marks.append(*next);
        liveNext = index + 1;
    } else {
        complete = true;
        liveNext = -1;
    }
}

void ReportRun::Private::settleTotal()
{
    // The total shown may change the heights of stretching texts and so the count in
    // turn: count again until it settles.
    totalPending = false;
    int total = -1;
    for (int round = 0; round < 3; ++round) {
        restart();
        pass.resume(marks.first());
        liveLaidOut = false;
        LaidOutPage scratch;
        for (int index = 0; !complete; ++index) {
            if (!pass.nextPage(scratch, false)) {
                marks.clear();
                complete = true;
                break;
            }
            passed(index);
        }
        if (int(marks.size()) == total)
            break;
        total = int(marks.size());
        resolver.setTotalPages(total);
    }
    liveNext = -1;
}

ReportRun::ReportRun(Report& report, const QList<ReportDataSource*>& sources,
                     VariablesCallback variables, const ReportSettings& settings,
                     std::vector<std::shared_ptr<ReportDataSource>> keptSources)
    : d(std::make_unique<Private>(report, sources, std::move(variables), settings,
                                  std::move(keptSources)))
{
    check(report, d->resolver);
    d->totalPending = showsTotalPages(report);
}

ReportRun::~ReportRun() = default;

const QString& ReportRun::title() const
{
    return d->report.title();
}

const Page& ReportRun::page() const
{
    return d->report.page();
}

bool ReportRun::layOutPage(int index, LaidOutPage& page)
{
    if (d->totalPending)
        d->settleTotal();
    if (index >= d->marks.size())
        countPages(index + 1 - int(d->marks.size()));
    if (index < 0 || index >= d->marks.size())
        return false;
    // A count may leave the sources behind the walk: then the page starts from its mark.
    if (d->liveNext != index || !d->liveLaidOut)
        d->pass.resume(d->marks[index]);
    d->liveLaidOut = true;
    if (!d->pass.nextPage(page)) {
        d->marks.clear();
        d->complete = true;
        d->liveNext = -1;
        return false;
    }
    d->passed(index);
    return true;
}

bool ReportRun::countPages(int pages)
{
    if (d->totalPending)
        d->settleTotal();
    LaidOutPage scratch;
    for (int counted = 0; counted < pages && !d->complete; ++counted) {
        const int index = int(d->marks.size()) - 1;
        if (d->liveNext != index)
            d->pass.resume(d->marks[index]);
        d->liveLaidOut = false;
        if (!d->pass.nextPage(scratch, false)) {
            d->marks.clear();
            d->complete = true;
            break;
        }
        d->passed(index);
    }
    return d->complete;
}

int ReportRun::pageCount() const
{
    return d->complete ? int(d->marks.size()) : -1;
}

int ReportRun::pagesKnown() const
{
    return int(d->marks.size());
}

LaidOutDocument ReportRun::document()
{
    LaidOutDocument document{title(), page(), {}};
    LaidOutPage page;
    for (int index = 0; layOutPage(index, page); ++index)
        document.pages.append(std::move(page));
    return document;
}

} // namespace tavrel::report
