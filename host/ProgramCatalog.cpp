#include "ProgramCatalog.h"

namespace tavrel {

const QList<ProgramEntry>& ProgramCatalog::programs()
{
    static const QList<ProgramEntry> list = {
        {QStringLiteral("VVeZezev"),
         QStringLiteral("Relación Rubros SIIF2"),
         QStringLiteral("Nómina"),
         QStringLiteral("VEdUvura"),
         {{QStringLiteral("ActualizarCausado"), QStringLiteral("Actualizar &Causado…"),
           QStringLiteral("Se recalculará el valor causado de los rubros de TODAS las "
                          "empresas a partir de los movimientos débito de la contabilización "
                          "de nómina.\n\n¿Desea continuar?")}}},
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
