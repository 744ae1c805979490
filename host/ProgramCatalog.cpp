#include "ProgramCatalog.h"

#include "RelationTools.h"

namespace tavrel {

const QList<ProgramEntry>& ProgramCatalog::programs()
{
    static const QList<ProgramEntry> list = {
        {QStringLiteral("VVeZezev"),
         QStringLiteral("Relación Rubros SIIF2"),
         QStringLiteral("Nómina"),
         QStringLiteral("VEdUvura"),
         &RelationTools::tools()},
    };
    return list;
}

const ProgramEntry* ProgramCatalog::find(const QString& key)
{
    for (const ProgramEntry& p : programs()) {
        if (p.code.compare(key, Qt::CaseInsensitive) == 0 ||
            p.caption.compare(key, Qt::CaseInsensitive) == 0 ||
            p.library.compare(key, Qt::CaseInsensitive) == 0)
            return &p;
    }
    return nullptr;
}

} // namespace tavrel
