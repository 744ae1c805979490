#include "ProviderRegistry.h"

namespace tavrel {

ProviderRegistry::ProviderRegistry()
{
    const auto add = [this](const char* name, const char* mainTable) {
        m_providers.append({QLatin1String(name), QLatin1String(mainTable)});
    };
    // Module datasets.
    add("DtsPVeZEZev", "NM_RPCOS");
    add("DtsPGnCcost", "");
    add("DtsPNmNccon", "");
    add("DtsPNmNcmco", "");
    add("DtsPCamRela", "");
    add("DtsPNmVarig", "");
    add("DtsPGnDigif", "");
    add("DtsPGnEmpr1", "");
    add("DtsPEmpresa", "");
    add("DtsPTemporal", "");
    // Suite framework datasets.
    add("DtsPGnEmpre", "GN_EMPRE");
    add("DtsPGnUempr", "");
    add("DtsPGnNotas", "GN_NOTAS");
    add("DtsPGnLogcm", "GN_LOGCM");
}

const ProviderRegistry& ProviderRegistry::instance()
{
    static const ProviderRegistry registry;
    return registry;
}

const ProviderDef* ProviderRegistry::find(const QString& name) const
{
    for (const ProviderDef& p : m_providers) {
        if (p.name.compare(name, Qt::CaseInsensitive) == 0)
            return &p;
    }
    return nullptr;
}

} // namespace tavrel
