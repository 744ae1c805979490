#include "LayoutEngine.h"

#include "ModuleError.h"
#include "ReportRun.h"

namespace tavrel::report {

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

void LayoutEngine::addDataSource(std::unique_ptr<ReportDataSource> source)
{
    addDataSource(source.get());
    m_keptSources.push_back(std::move(source));
}

void LayoutEngine::setVariablesCallback(VariablesCallback callback)
{
    m_variables = std::move(callback);
}

void LayoutEngine::setSettings(const ReportSettings& settings)
{
    m_settings = settings;
}

std::unique_ptr<ReportRun> LayoutEngine::start(Report& report) const
{
    return std::make_unique<ReportRun>(report, m_sources, m_variables, m_settings, m_keptSources);
}

LaidOutDocument LayoutEngine::layout(Report& report) const
{
    return start(report)->document();
}

} // namespace tavrel::report
