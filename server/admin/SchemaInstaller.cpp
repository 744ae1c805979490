#include "SchemaInstaller.h"

#include "Database.h"
#include "ModuleError.h"
#include "SchemaCatalog.h"

#include <QDateTime>
#include <QSqlRecord>

namespace tavrel {

QStringList SchemaInstaller::existingTables(Database& db)
{
    const QStringList present = db.tableNames();
    QStringList existing;
    for (const TableDef& table : SchemaCatalog::instance().tables()) {
        if (present.contains(table.name))
            existing.append(table.name);
    }
    return existing;
}

void SchemaInstaller::install(Database& db)
{
    const QStringList existing = existingTables(db);
    if (!existing.isEmpty())
        throw ModuleError(QStringLiteral("La base de datos %1 ya tiene tablas del sistema (%2); no "
                                         "se modificó nada")
                              .arg(db.location().serverName(), existing.join(QLatin1String(", "))));
    db.transaction([&db] {
        for (const TableDef& table : SchemaCatalog::instance().tables()) {
            for (const QString& statement : db.dialect().createTableStatements(table))
                db.exec(statement);
        }
        db.exec(QStringLiteral("INSERT INTO %1 (NUM_VERS, FEC_CREA) VALUES (:V, :F)")
                    .arg(SchemaCatalog::versionTable()),
                {SchemaCatalog::version, QDateTime::currentDateTime().toLocalTime()});
    });
}

QStringList SchemaInstaller::upgrade(Database& db)
{
    const int version = SchemaCatalog::installedVersion(db);
    const QString server = db.location().serverName();
    if (version < 0)
        throw ModuleError(QStringLiteral("La base de datos %1 no tiene las tablas del sistema; "
                                         "créelas con «tavrel init-db --database %1»")
                              .arg(server));
    if (version >= SchemaCatalog::version)
        throw ModuleError(QStringLiteral("La base de datos %1 ya tiene la versión %2 del esquema; "
                                         "no se modificó nada")
                              .arg(server)
                              .arg(version));
    if (version < 2)
        throw ModuleError(QStringLiteral("La base de datos %1 tiene la versión %2 del esquema, "
                                         "que no se puede actualizar; no se modificó nada")
                              .arg(server)
                              .arg(version));
    const QStringList existing = existingTables(db);
    const QString attempts = QStringLiteral("TVL_INTENTO");
    const bool attemptsByAddress =
        existing.contains(attempts) &&
        db.exec(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(attempts))
            .record()
            .contains(QStringLiteral("DIR_CLIE"));
    QStringList created;
    db.transaction([&] {
        for (const TableDef& table : SchemaCatalog::instance().tables()) {
            if (existing.contains(table.name))
                continue;
            for (const QString& statement : db.dialect().createTableStatements(table))
                db.exec(statement);
            created.append(table.name);
        }
        // Version 4 leads the movements' date index with the date and has it cover the
        // sums of one date; the planner learns of it through fresh statistics.
        const QString movements = QStringLiteral("NM_NCMOV");
        if (version < 4 && existing.contains(movements)) {
            const TableDef* table = SchemaCatalog::instance().table(movements);
            for (const IndexDef& index : table->indexes) {
                if (index.name != QLatin1String("NM_NCMOV_FECH"))
                    continue;
                db.exec(QStringLiteral("DROP INDEX %1").arg(index.name));
                db.exec(db.dialect().createIndexStatement(*table, index));
            }
            db.exec(QStringLiteral("ANALYZE %1").arg(movements));
        }
        // Version 5 counts login attempts per user and client address. The counts are
        // only about the last minutes, so the old ones are dropped; the table stays, with
        // the rights the server's role has on it.
        if (existing.contains(attempts) && !attemptsByAddress) {
            const TableDef* table = SchemaCatalog::instance().table(attempts);
            db.exec(QStringLiteral("DELETE FROM %1").arg(attempts));
            db.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2")
                        .arg(attempts, db.dialect().columnDefinition(
                                           *table->column(QStringLiteral("DIR_CLIE")))));
            db.exec(QStringLiteral("DROP INDEX TVL_INTENTO_PK"));
            db.exec(db.dialect().createIndexStatement(*table, table->indexes.constFirst()));
        }
        db.exec(QStringLiteral("INSERT INTO %1 (NUM_VERS, FEC_CREA) VALUES (:V, :F)")
                    .arg(SchemaCatalog::versionTable()),
                {SchemaCatalog::version, QDateTime::currentDateTime().toLocalTime()});
    });
    return created;
}

} // namespace tavrel
