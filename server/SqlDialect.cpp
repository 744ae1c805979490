#include "SqlDialect.h"

#include "PostgresDialect.h"
#include "SqliteDialect.h"

#include <QDateTime>
#include <QLocale>
#include <QSqlDriver>
#include <QSqlField>
#include <QSqlQuery>

namespace tavrel {

SqlDialect::~SqlDialect() = default;

std::unique_ptr<SqlDialect> SqlDialect::forDriver(const QString& driverName)
{
    if (driverName == QLatin1String("QSQLITE"))
        return std::make_unique<SqliteDialect>();
    if (driverName == QLatin1String("QPSQL"))
        return std::make_unique<PostgresDialect>();
    return nullptr;
}

QStringList SqlDialect::tableNames(const QSqlDatabase& db) const
{
    QStringList names;
    for (const QString& name : db.tables(QSql::Tables)) {
        // Some drivers list tables of other schemas as "schema.table"; only the
        // connection's own schema counts.
        if (!name.contains(QLatin1Char('.')))
            names.append(name.toUpper());
    }
    return names;
}

QString SqlDialect::literal(const QVariant& value) const
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
        return booleanLiteral(value.toBool());
    case QMetaType::QByteArray:
        return blobLiteral(value.toByteArray());
    case QMetaType::QDateTime:
        return dateTimeLiteral(value.toDateTime());
    case QMetaType::QDate:
        return dateTimeLiteral(QDateTime(value.toDate(), QTime(0, 0)));
    default:
        return quoted(value.toString());
    }
}

QString SqlDialect::booleanLiteral(bool value) const
{
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

QString SqlDialect::blobLiteral(const QByteArray& value) const
{
    return QStringLiteral("X'%1'").arg(QString::fromLatin1(value.toHex()));
}

QString SqlDialect::dateTimeLiteral(const QDateTime& value) const
{
    return QStringLiteral("TIMESTAMP ") + quoted(canonicalDateTime(value));
}

QStringList SqlDialect::createTableStatements(const TableDef& table) const
{
    QStringList parts{technicalKeyDefinition()};
    for (const ColumnDef& column : table.columns)
        parts.append(columnDefinition(column));
    QStringList statements{
        QStringLiteral("CREATE TABLE %1 (\n    %2\n)%3")
            .arg(table.name, parts.join(QLatin1String(",\n    ")), tableOptions(table))};
    for (const IndexDef& index : table.indexes)
        statements.append(createIndexStatement(table, index));
    return statements;
}

QString SqlDialect::createIndexStatement(const TableDef& table, const IndexDef& index) const
{
    Q_ASSERT(index.included.isEmpty() || !index.unique);
    QStringList key = index.columns;
    QString include;
    if (supportsIncludedColumns() && !index.included.isEmpty())
        include = QStringLiteral(" INCLUDE (%1)").arg(index.included.join(QLatin1String(", ")));
    else
        key += index.included;
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)%5")
        .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), index.name, table.name,
             key.join(QLatin1String(", ")), include);
}

QString SqlDialect::tableOptions(const TableDef&) const
{
    return QString();
}

QSqlDriver* SqlDialect::createDriver(const SessionSettings&) const
{
    return nullptr;
}

bool SqlDialect::driverAvailable() const
{
    return QSqlDatabase::isDriverAvailable(driverName());
}

qint64 SqlDialect::insertedKey(QSqlQuery& query) const
{
    if (insertReturningKey().isEmpty())
        return query.lastInsertId().toLongLong();
    if (!query.next())
        return -1;
    return query.value(0).toLongLong();
}

QString SqlDialect::canonicalDateTime(const QDateTime& value)
{
    return value.toLocalTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

QString SqlDialect::quoted(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

QString SqlDialect::typeName(const ColumnDef& column) const
{
    switch (column.type) {
    case FieldType::String:
        return column.size > 0 ? QStringLiteral("VARCHAR(%1)").arg(column.size)
                               : QStringLiteral("TEXT");
    case FieldType::FixedChar:
        return QStringLiteral("CHAR(%1)").arg(column.size);
    case FieldType::SmallInt:
        return QStringLiteral("SMALLINT");
    case FieldType::Integer:
        return QStringLiteral("INTEGER");
    case FieldType::LargeInt:
        return QStringLiteral("BIGINT");
    case FieldType::Float:
        return QStringLiteral("DOUBLE PRECISION");
    case FieldType::DateTime:
        return QStringLiteral("TIMESTAMP(3) WITHOUT TIME ZONE");
    case FieldType::Blob:
        return QStringLiteral("BLOB");
    case FieldType::Boolean:
        return QStringLiteral("BOOLEAN");
    }
    return QStringLiteral("TEXT");
}

} // namespace tavrel
