#include "SqliteDialect.h"

#include "ModuleError.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

namespace tavrel {

QString SqliteDialect::technicalKeyDefinition() const
{
    return SchemaCatalog::technicalKey() + QStringLiteral(" INTEGER PRIMARY KEY");
}

// SQLite's storage classes: date-times are canonical ISO text (see canonicalDateTime).
QString SqliteDialect::typeName(const ColumnDef& column) const
{
    switch (column.type) {
    case FieldType::Float:
        return QStringLiteral("REAL");
    case FieldType::DateTime:
        return QStringLiteral("TEXT");
    case FieldType::Boolean:
        return QStringLiteral("INTEGER");
    default:
        return SqlDialect::typeName(column);
    }
}

QString SqliteDialect::columnDefinition(const ColumnDef& column) const
{
    QString definition = column.name + QLatin1Char(' ') + typeName(column);
    switch (column.type) {
    case FieldType::String:
    case FieldType::FixedChar:
        if (column.size > 0)
            definition +=
                QStringLiteral(" CHECK (length(%1) <= %2)").arg(column.name).arg(column.size);
        break;
    case FieldType::SmallInt:
        definition += QStringLiteral(" CHECK (%1 BETWEEN -32768 AND 32767)").arg(column.name);
        break;
    default:
        break;
    }
    return definition;
}

QVariant SqliteDialect::toDatabase(const QVariant& value) const
{
    if (!value.isValid() || value.isNull())
        return value;
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return canonicalDateTime(value.toDateTime());
    case QMetaType::QDate:
        return canonicalDateTime(QDateTime(value.toDate(), QTime(0, 0)));
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    default:
        return value;
    }
}

QString SqliteDialect::booleanLiteral(bool value) const
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

// Date-times are canonical text, not a typed value.
QString SqliteDialect::dateTimeLiteral(const QDateTime& value) const
{
    return quoted(canonicalDateTime(value));
}

QString SqliteDialect::connectOptions(bool readOnly) const
{
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000");
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    return options;
}

void SqliteDialect::initialiseSession(QSqlDatabase& db, bool readOnly) const
{
    // A file that is not a database opens fine and fails at the first read.
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        throw ModuleError(QStringLiteral("El archivo %1 no es una base de datos SQLite válida: %2")
                              .arg(db.databaseName(), query.lastError().databaseText()),
                          ModuleError::Kind::Connection);
    // The writing connection runs the set-based updates, whose correlated sums seek the
    // movements' index once per relation row: through a mapping of the file each seek
    // reads the pages in place instead of copying them in with a system call. Reads keep
    // to the page cache, so that a window's rows do not map the whole file.
    if (!readOnly)
        query.exec(QStringLiteral("PRAGMA mmap_size = 1073741824"));
}

bool SqliteDialect::isConnectionFailure(const QSqlError& error) const
{
    // QSQLITE reports every failed step as a connection error; only the primary result
    // codes of a file that cannot be read or opened mean the database is gone.
    const int primary = error.nativeErrorCode().toInt() & 0xff;
    return primary == 10 /* SQLITE_IOERR */ || primary == 14 /* SQLITE_CANTOPEN */ ||
           primary == 26 /* SQLITE_NOTADB */;
}

QString SqliteDialect::currentTimestampQuery() const
{
    return QStringLiteral("SELECT strftime('%Y-%m-%dT%H:%M:%f', 'now', 'localtime')");
}

QString SqliteDialect::monthOf(const QString& column) const
{
    // Date-times are stored as canonical ISO text: the month stands at characters 6 and 7.
    return QStringLiteral("CAST(substr(%1, 6, 2) AS INTEGER)").arg(column);
}

SqlDialect::StorageFailure SqliteDialect::storageFailure(const QSqlError& error) const
{
    switch (error.nativeErrorCode().toInt() & 0xff) {
    case 13: // SQLITE_FULL, also past PRAGMA max_page_count
        return StorageFailure::Full;
    case 8: // SQLITE_READONLY
        return StorageFailure::ReadOnly;
    default:
        return StorageFailure::None;
    }
}

} // namespace tavrel
