#include "SqliteDialect.h"

#include "ModuleError.h"

#include <QDateTime>
#include <QLocale>
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

QStringList SqliteDialect::tableNames(const QSqlDatabase& db) const
{
    QStringList names;
    for (const QString& name : db.tables(QSql::Tables))
        names.append(name.toUpper());
    return names;
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

QString SqliteDialect::literal(const QVariant& value) const
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("NULL");
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return value.toString();
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QByteArray:
        return QStringLiteral("X'%1'").arg(QString::fromLatin1(value.toByteArray().toHex()));
    case QMetaType::QDateTime:
    case QMetaType::QDate:
        return quoted(toDatabase(value).toString());
    default:
        return quoted(value.toString());
    }
}

QString SqliteDialect::connectOptions(bool readOnly) const
{
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000");
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    return options;
}

void SqliteDialect::initialiseSession(QSqlDatabase& db) const
{
    // A file that is not a database opens fine and fails at the first read.
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        throw ModuleError(QStringLiteral("El archivo %1 no es una base de datos SQLite válida: %2")
                              .arg(db.databaseName(), query.lastError().databaseText()),
                          ModuleError::Kind::Connection);
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

} // namespace tavrel
