#include "PostgresDialect.h"

#include "ModuleError.h"
#include "PgDriver.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>

namespace tavrel {

QString PostgresDialect::technicalKeyDefinition() const
{
    return SchemaCatalog::technicalKey() + QStringLiteral(" BIGSERIAL PRIMARY KEY");
}

QString PostgresDialect::typeName(const ColumnDef& column) const
{
    return column.type == FieldType::Blob ? QStringLiteral("BYTEA") : SqlDialect::typeName(column);
}

QString PostgresDialect::columnDefinition(const ColumnDef& column) const
{
    return column.name + QLatin1Char(' ') + typeName(column);
}

QString PostgresDialect::tableOptions(const TableDef& table) const
{
    if (table.fillFactor >= 100)
        return QString();
    return QStringLiteral(" WITH (fillfactor = %1)").arg(table.fillFactor);
}

QVariant PostgresDialect::toDatabase(const QVariant& value) const
{
    if (!value.isValid() || value.isNull())
        return value;
    if (value.typeId() == QMetaType::QDate)
        return QDateTime(value.toDate(), QTime(0, 0));
    return value;
}

QString PostgresDialect::blobLiteral(const QByteArray& value) const
{
    return QStringLiteral("'\\x%1'::bytea").arg(QString::fromLatin1(value.toHex()));
}

QString PostgresDialect::connectOptions(bool) const
{
    return QStringLiteral("connect_timeout=5");
}

bool PostgresDialect::isConnectionFailure(const QSqlError& error) const
{
    // SQLSTATE class 08 (connection exception) and 57P01-57P03 (server shutting down).
    const QString code = error.nativeErrorCode();
    const QString text = error.databaseText();
    return code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P0")) ||
           text.contains(QLatin1String("server closed the connection")) ||
           text.contains(QLatin1String("no connection to the server"));
}

bool PostgresDialect::isTransientConflict(const QSqlError& error) const
{
    // 40P01 deadlock_detected, 40001 serialization_failure.
    const QString code = error.nativeErrorCode();
    return code == QLatin1String("40P01") || code == QLatin1String("40001");
}

QString PostgresDialect::readOnlyTransactionSelect(const QString& selectList) const
{
    // SET LOCAL transaction_read_only, as SET TRANSACTION READ ONLY does.
    return QStringLiteral("SELECT ") + selectList +
           QStringLiteral(", set_config('transaction_read_only', 'on', true)");
}

QString PostgresDialect::readOnlySessionSelect(const QString& selectList) const
{
    // A transaction cannot be switched to read-write once it has run a query, so a
    // statement that turns the default off only reaches later ones, and the next
    // prelude turns it on again before they run.
    return QStringLiteral("SELECT ") + selectList +
           QStringLiteral(", set_config('default_transaction_read_only', 'on', false)");
}

QString PostgresDialect::serializeBulkWritesStatement() const
{
    // A transaction-level advisory lock: released at commit or rollback, whatever happens.
    return QStringLiteral("SELECT pg_advisory_xact_lock(hashtext('tavrel.bulk-writes'))");
}

QString PostgresDialect::monthOf(const QString& column) const
{
    return QStringLiteral("CAST(EXTRACT(MONTH FROM %1) AS INTEGER)").arg(column);
}

QSqlDriver* PostgresDialect::createDriver(const SessionSettings& settings) const
{
    // Notices ("table does not exist, skipping") are of no use to anyone here. The
    // server's statements are short; compiling them costs more than it saves: a correlated
    // update over a large table is estimated expensive enough to be compiled and then
    // spends about a second on it.
    SessionSettings all{{QStringLiteral("client_min_messages"), QStringLiteral("warning")},
                        {QStringLiteral("jit"), QStringLiteral("off")},
                        {QStringLiteral("TimeZone"), sessionTimeZone()}};
    all += settings;
    return new PgDriver(all);
}

bool PostgresDialect::resetSession(QSqlDatabase& db) const
{
    // Settings, session locks, prepared statements, cursors, listeners, temporary objects.
    auto* driver = static_cast<PgDriver*>(db.driver()); // every driver made by createDriver()
    if (!driver->sendDeferred("DISCARD ALL"))
        throw ModuleError(QStringLiteral("No se pudo reiniciar la sesión de la base de datos"),
                          ModuleError::Kind::Connection);
    return true;
}

QString PostgresDialect::sessionTimeZone()
{
    const QString zone = QString::fromUtf8(QTimeZone::systemTimeZoneId());
    if (!zone.isEmpty())
        return zone;
    // No zone name: the current offset, in POSIX form ("<+0530>-05:30", west positive).
    const int offset = QDateTime::currentDateTime().offsetFromUtc();
    const QString hours = QStringLiteral("%1%2")
                              .arg(std::abs(offset) / 3600, 2, 10, QLatin1Char('0'))
                              .arg(std::abs(offset) % 3600 / 60, 2, 10, QLatin1Char('0'));
    const QString east = offset < 0 ? QStringLiteral("-") : QStringLiteral("+");
    const QString west = offset < 0 ? QStringLiteral("+") : QStringLiteral("-");
    return QStringLiteral("<%1%2>%3%4:%5").arg(east, hours, west, hours.left(2), hours.mid(2));
}

void PostgresDialect::initialiseSession(QSqlDatabase&, bool) const
{
    // Everything the session needs comes with the connection's start-up settings.
}

SqlDialect::StorageFailure PostgresDialect::storageFailure(const QSqlError& error) const
{
    // 53100 disk_full.
    return error.nativeErrorCode() == QLatin1String("53100") ? StorageFailure::Full
                                                             : StorageFailure::None;
}

} // namespace tavrel
