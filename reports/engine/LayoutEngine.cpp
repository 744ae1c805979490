#include "LayoutEngine.h"

#include "ModuleError.h"
#include "PagePass.h"
#include "Report.h"
#include "TextMeasurer.h"

namespace tavrel::report {

namespace {

QString bandLabel(const Band& band)
{
    return band.name().isEmpty() ? QStringLiteral("(sin nombre)") : band.name();
}

} // namespace

void LayoutEngine::addDataSource(ReportDataSource* source)
{
    for (const ReportDataSource* known : m_sources) {
        if (known->name().compare(source->name(), Qt::CaseInsensitive) == 0) {
            throw ModuleError(
                QStringLiteral("Ya hay un origen de datos llamado «%1» en el informe.")
                    .arg(source->name()));
        }
    }
    m_sources.append(source);
}

void LayoutEngine::setVariablesCallback(VariablesCallback callback)
{
    m_variables = std::move(callback);
}

void LayoutEngine::setSettings(const ReportSettings& settings)
{
    m_settings = settings;
}

void LayoutEngine::check(const Report& report, const ValueResolver& resolver) const
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

LaidOutDocument LayoutEngine::layout(Report& report) const
{
    ValueResolver resolver(report, m_sources, m_variables, m_settings);
    check(report, resolver);

    const TextMeasurer measurer;
    BandLayouter layouter(resolver, measurer);

    LaidOutDocument document{report.title(), report.page(), {}};
    document.pages = PagePass(report, resolver, layouter).run();
    // The total number of pages is known after a pass; texts that show it may change
    // the page count in turn, so repeat until it settles.
    for (int pass = 0; pass < 3 && resolver.totalPagesUsed(); ++pass) {
        const qsizetype previous = document.pages.size();
        resolver.setTotalPages(int(previous));
        document.pages = PagePass(report, resolver, layouter).run();
        if (document.pages.size() == previous)
            break;
    }
    return document;
}

} // namespace tavrel::report
