#include "DeltaColumns.h"

#include "ModuleError.h"
#include "SchemaCatalog.h"

#include <QSet>

namespace tavrel {

Delta DeltaColumns::spelled(const TableDef& table, const Delta& delta)
{
    Delta result;
    result.rows.reserve(delta.rows.size());
    for (DeltaRow row : delta.rows) {
        row.original = spelled(table, row.original);
        row.values = spelled(table, row.values);
        result.rows.append(std::move(row));
    }
    return result;
}

QVariantMap DeltaColumns::spelled(const TableDef& table, const QVariantMap& values)
{
    QVariantMap result;
    QSet<QString> seen;
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        const ColumnDef* column = table.column(it.key());
        const QString name = column ? column->name : it.key();
        if (seen.contains(name.toUpper()))
            throw ModuleError(QStringLiteral("La columna %1 aparece dos veces en un registro de %2")
                                  .arg(name.toUpper(), table.name));
        seen.insert(name.toUpper());
        result.insert(name, it.value());
    }
    return result;
}

} // namespace tavrel
