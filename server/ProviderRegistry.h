#pragma once

#include "TavrelServerExport.h"

#include <QList>
#include <QString>

namespace tavrel {

// A provider of the application server, as the client datasets name it.
struct TAVREL_SERVER_EXPORT ProviderDef
{
    QString name;
    QString mainTable; // table that receives the dataset's updates; empty: read only
};

// The fixed set of providers: those of the module's datasets and those of the suite's
// framework (companies, user companies, notes, change log). Names compare without case,
// as the datasets' component names do.
class TAVREL_SERVER_EXPORT ProviderRegistry
{
public:
    static const ProviderRegistry& instance();

    // Null when there is no provider of that name.
    const ProviderDef* find(const QString& name) const;
    const QList<ProviderDef>& providers() const { return m_providers; }

private:
    ProviderRegistry();
    QList<ProviderDef> m_providers;
};

} // namespace tavrel
