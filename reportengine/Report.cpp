#include "Report.h"

namespace tavrel::report {

Report::Report() = default;
Report::~Report() = default;

Band& Report::addBand(Band::Kind kind, qreal height, const QString& name)
{
    m_bands.push_back(std::make_unique<Band>(kind, height, name));
    return *m_bands.back();
}

Band* Report::band(const QString& name) const
{
    for (const auto& band : m_bands) {
        if (band->name() == name)
            return band.get();
    }
    return nullptr;
}

void Report::addVariable(const QString& name, const QVariant& designValue)
{
    for (auto& variable : m_variables) {
        if (variable.first == name) {
            variable.second = designValue;
            return;
        }
    }
    m_variables.append({name, designValue});
}

bool Report::hasVariable(const QString& name) const
{
    return variableNames().contains(name);
}

QVariant Report::variableValue(const QString& name) const
{
    for (const auto& variable : m_variables) {
        if (variable.first == name)
            return variable.second;
    }
    return {};
}

QStringList Report::variableNames() const
{
    QStringList names;
    for (const auto& variable : m_variables)
        names.append(variable.first);
    return names;
}

} // namespace tavrel::report
