#include "ResultTable.h"

#include "ModuleError.h"

namespace tavrel {

namespace {

[[noreturn]] void malformed(const QString& what)
{
    throw ModuleError(QStringLiteral("La respuesta del servidor no es una tabla: %1").arg(what),
                      ModuleError::Kind::Conversion);
}

bool isList(const QVariant& value)
{
    return value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList;
}

} // namespace

int ResultTable::columnIndex(const QString& name) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant ResultTable::value(int row, const QString& column) const
{
    const int c = columnIndex(column);
    return c < 0 ? QVariant() : rows.at(row).value(c);
}

QVariant ResultTable::toVariant() const
{
    QVariantList list;
    list.reserve(rows.size() + 1);
    QVariantList names;
    for (const QString& c : columns)
        names.append(c);
    list.append(QVariant(names));
    for (const QVariantList& row : rows)
        list.append(QVariant(row));
    return list;
}

ResultTable ResultTable::fromVariant(const QVariant& value)
{
    if (!isList(value))
        malformed(QStringLiteral("se esperaba una lista y llegó %1")
                      .arg(QLatin1String(value.typeName() ? value.typeName() : "nada")));
    const QVariantList list = value.toList();
    if (list.isEmpty() || !isList(list.first()))
        malformed(QStringLiteral("falta la lista de columnas"));
    ResultTable table;
    for (const QVariant& name : list.first().toList())
        table.columns.append(name.toString());
    for (qsizetype i = 1; i < list.size(); ++i) {
        if (!isList(list[i]) || list[i].toList().size() != table.columns.size())
            malformed(
                QStringLiteral("la fila %1 no tiene %2 valores").arg(i).arg(table.columns.size()));
        table.rows.append(list[i].toList());
    }
    return table;
}

} // namespace tavrel
