#include "UpdateApplier.h"

#include "ChangeHistory.h"
#include "Database.h"
#include "DeltaColumns.h"
#include "ModuleError.h"
#include "SchemaCatalog.h"

#include <QStringList>

namespace tavrel {

namespace {

// Collects the pieces of one statement: markers are numbered in the order they are
// added, which is the order of first appearance the database layer binds by.
class StatementBuilder
{
public:
    explicit StatementBuilder(const TableDef& table) : m_table(table) {}

    QString marker(const ColumnDef& column, const QVariant& value)
    {
        QVariant stored;
        try {
            stored = coerce(value, column.type);
        } catch (const ModuleError& e) {
            throw ModuleError(QStringLiteral("Columna %1: %2").arg(column.name, e.message()),
                              e.kind());
        }
        m_values.append(stored);
        return QStringLiteral(":p%1").arg(m_values.size());
    }

    // "COL = :pN", or "COL IS NULL" for a null original: the check of one original value
    // with the coercion used when storing it.
    QString matches(const ColumnDef& column, const QVariant& original)
    {
        if (isNull(original))
            return column.name + QStringLiteral(" IS NULL");
        return column.name + QStringLiteral(" = ") + marker(column, original);
    }

    const ColumnDef& column(const QString& name) const
    {
        const ColumnDef* def = m_table.column(name);
        if (!def) {
            if (name.compare(SchemaCatalog::technicalKey(), Qt::CaseInsensitive) == 0)
                throw ModuleError(QStringLiteral("La llave técnica %1 no se puede asignar")
                                      .arg(SchemaCatalog::technicalKey()));
            throw ModuleError(
                QStringLiteral("La columna %1 no existe en la tabla %2").arg(name, m_table.name));
        }
        return *def;
    }

    const QVariantList& values() const { return m_values; }

private:
    const TableDef& m_table;
    QVariantList m_values;
};

[[noreturn]] void conflict(const TableDef& table)
{
    throw ModuleError(QStringLiteral("El registro de %1 fue modificado o borrado por otro usuario "
                                     "desde que se leyó; vuelva a consultar los datos y repita "
                                     "su cambio. No se guardó ninguno de los cambios enviados.")
                          .arg(table.name),
                      ModuleError::Kind::Conflict);
}

qint64 insertRow(Database& db, const TableDef& table, const DeltaRow& row)
{
    StatementBuilder b(table);
    QStringList names;
    QStringList markers;
    for (auto it = row.values.constBegin(); it != row.values.constEnd(); ++it) {
        const ColumnDef& column = b.column(it.key());
        names.append(column.name);
        markers.append(b.marker(column, it.value()));
    }
    QString sql = names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table.name)
                                  : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                        .arg(table.name, names.join(QLatin1String(", ")),
                                             markers.join(QLatin1String(", ")));
    sql += db.dialect().insertReturningKey();
    QSqlQuery query = db.exec(sql, b.values());
    return db.dialect().insertedKey(query);
}

void modifyRow(Database& db, const TableDef& table, const DeltaRow& row)
{
    if (row.values.isEmpty())
        return;
    StatementBuilder b(table);
    QStringList assignments;
    for (auto it = row.values.constBegin(); it != row.values.constEnd(); ++it) {
        const ColumnDef& column = b.column(it.key());
        assignments.append(column.name + QStringLiteral(" = ") + b.marker(column, it.value()));
    }
    QStringList conditions{
        SchemaCatalog::technicalKey() + QStringLiteral(" = ") +
        b.marker({SchemaCatalog::technicalKey(), FieldType::LargeInt, 0}, row.rowKey)};
    for (auto it = row.values.constBegin(); it != row.values.constEnd(); ++it) {
        const auto original = row.original.constFind(it.key());
        if (original != row.original.constEnd())
            conditions.append(b.matches(b.column(it.key()), original.value()));
    }
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                            .arg(table.name, assignments.join(QLatin1String(", ")),
                                 conditions.join(QLatin1String(" AND ")));
    if (db.exec(sql, b.values()).numRowsAffected() != 1)
        conflict(table);
}

void deleteRow(Database& db, const TableDef& table, const DeltaRow& row)
{
    StatementBuilder b(table);
    QStringList conditions{
        SchemaCatalog::technicalKey() + QStringLiteral(" = ") +
        b.marker({SchemaCatalog::technicalKey(), FieldType::LargeInt, 0}, row.rowKey)};
    for (auto it = row.original.constBegin(); it != row.original.constEnd(); ++it) {
        // The packet may carry columns that are not the table's (calculated, joined).
        if (const ColumnDef* column = table.column(it.key()))
            conditions.append(b.matches(*column, it.value()));
    }
    const QString sql = QStringLiteral("DELETE FROM %1 WHERE %2")
                            .arg(table.name, conditions.join(QLatin1String(" AND ")));
    if (db.exec(sql, b.values()).numRowsAffected() != 1)
        conflict(table);
}

} // namespace

QList<qint64> UpdateApplier::apply(Database& db, const TableDef& table, const Delta& sent,
                                   const QString& user)
{
    // Every look-up below, and the history's, by the table's spelling of the names.
    const Delta delta = DeltaColumns::spelled(table, sent);
    QList<qint64> keys;
    const bool history = ChangeHistory::tracks(table);
    // Run again when it lost a race with another desk's transaction.
    const auto applyRows = [&] {
        keys.clear();
        for (const DeltaRow& row : delta.rows) {
            if (row.kind != DeltaRow::Kind::Insert && row.rowKey < 0)
                throw ModuleError(QStringLiteral("Falta la llave técnica de un registro de %1 "
                                                 "que se quiere modificar o borrar")
                                      .arg(table.name));
            switch (row.kind) {
            case DeltaRow::Kind::Insert:
                keys.append(insertRow(db, table, row));
                break;
            case DeltaRow::Kind::Modify:
                modifyRow(db, table, row);
                break;
            case DeltaRow::Kind::Delete:
                deleteRow(db, table, row);
                break;
            }
            if (history)
                ChangeHistory::recordRow(
                    db, table, row, row.kind == DeltaRow::Kind::Insert ? keys.last() : row.rowKey,
                    user);
        }
    };
    db.transaction(applyRows, Database::conflictAttempts);
    return keys;
}

} // namespace tavrel
