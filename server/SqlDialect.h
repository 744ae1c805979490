#pragma once

#include "TavrelServerExport.h"

#include "SchemaCatalog.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <utility>

class QSqlError;
class QSqlDriver;
class QSqlQuery;

namespace tavrel {

// Everything that differs between the database engines, in one place. The rest of the
// server speaks plain SQL through QtSql and asks the dialect whenever an engine would
// answer differently: DDL types, how values are bound and written as literals, session
// set-up, how a read-only SELECT is protected and how a new row's key comes back.
// The base class answers as standard SQL does; an engine overrides only where it
// differs.
class TAVREL_SERVER_EXPORT SqlDialect
{
public:
    virtual ~SqlDialect();

    // The dialect for a QtSql driver name ("QSQLITE", "QPSQL"); null for other drivers.
    static std::unique_ptr<SqlDialect> forDriver(const QString& driverName);

    virtual QString engineName() const = 0; // for messages: "SQLite", "PostgreSQL"
    virtual QString driverName() const = 0;
    // Whether connections can be opened: the QtSql plugin of driverName() is installed,
    // or the dialect brings its own driver (createDriver()).
    virtual bool driverAvailable() const;

    // --- Schema ---
    virtual QString technicalKeyDefinition() const = 0;
    virtual QString columnDefinition(const ColumnDef& column) const = 0;
    // CREATE TABLE followed by the table's indexes.
    QStringList createTableStatements(const TableDef& table) const;
    QString createIndexStatement(const TableDef& table, const IndexDef& index) const;
    // Text after CREATE TABLE's column list: the table's storage settings (empty when the
    // engine has none).
    virtual QString tableOptions(const TableDef& table) const;
    // True when CREATE INDEX takes INCLUDE (...); otherwise included columns are appended
    // to the key, which serves the same reads.
    virtual bool supportsIncludedColumns() const { return false; }
    // Names of the tables of the current database, upper case.
    virtual QStringList tableNames(const QSqlDatabase& db) const;
    // Prefix that makes the engine describe the plan of a statement instead of running it.
    virtual QString explainPrefix() const { return QStringLiteral("EXPLAIN "); }

    // --- Values ---
    // The value as it must be bound to a statement parameter.
    virtual QVariant toDatabase(const QVariant& value) const = 0;
    // The value written as an SQL literal (bulk loading of generated data).
    QString literal(const QVariant& value) const;
    // True when statements name their parameters $1, $2, … (one per distinct marker,
    // bound once each); false when each marker becomes a "?" bound in text order.
    virtual bool numbersParameters() const { return false; }
    // Column names as the server reports them: upper case on every engine.
    virtual QString normaliseColumnName(const QString& name) const { return name.toUpper(); }

    // --- Connections ---
    // Settings a connection starts with (name, value): the session's defaults, which a
    // reset of the session returns to.
    using SessionSettings = QList<std::pair<QString, QString>>;
    // The driver of a new connection with `settings`, owned by the connection; null for
    // the QtSql driver of driverName(), which takes no settings.
    virtual QSqlDriver* createDriver(const SessionSettings& settings) const;
    // QSqlDatabase connect options; `readOnly` asks for a connection that cannot write.
    virtual QString connectOptions(bool readOnly) const = 0;
    // Runs once on each new connection (`readOnly` as it was opened). Throws ModuleError
    // when the session cannot be prepared.
    virtual void initialiseSession(QSqlDatabase& db, bool readOnly) const = 0;
    // True when read-only SELECTs run on a second connection opened read-only (the
    // engine cannot restrict a transaction); false when they run in a read-only
    // transaction on the main connection.
    virtual bool readsOnSeparateConnection() const { return false; }
    // Statement that makes the current transaction read-only (empty when not used).
    virtual QString readOnlyTransactionStatement() const
    {
        return QStringLiteral("SET TRANSACTION READ ONLY");
    }
    // One statement that makes the current transaction read-only and selects the one row
    // of `selectList`, whose columns come first; empty when the engine has none.
    virtual QString readOnlyTransactionSelect(const QString&) const { return QString(); }
    // The same for every later transaction of the connection, none of which may then
    // write; empty when the engine has none.
    virtual QString readOnlySessionSelect(const QString&) const { return QString(); }
    // Starts returning a connection to the state it started in: settings, temporary
    // objects, locks held by the session. The next statement on the connection waits for
    // it; when it fails, that statement fails as on a lost connection. False when the
    // engine has nothing to reset. Throws ModuleError (Connection) when it cannot start.
    virtual bool resetSession(QSqlDatabase&) const { return false; }
    // True when a failed statement means that the connection itself is gone.
    virtual bool isConnectionFailure(const QSqlError& error) const = 0;
    // Why a failed statement could not store its change, when the storage refused it.
    enum class StorageFailure
    {
        None,
        Full,     // no room left: the disk, or the size the database may grow to
        ReadOnly, // the database file cannot be written
    };
    virtual StorageFailure storageFailure(const QSqlError&) const { return StorageFailure::None; }
    // True when a failed statement lost only a race with another transaction (a deadlock
    // or a serialization failure), so that the same transaction run again may succeed.
    virtual bool isTransientConflict(const QSqlError&) const { return false; }
    // Statement that makes the calling transaction wait for every other one holding the
    // same lock, taken before a statement that rewrites many rows at once, so that two
    // such statements never lock rows in crossed order. Empty when the engine already
    // lets one writer at a time in.
    virtual QString serializeBulkWritesStatement() const { return QString(); }
    // Expression of the month (1 to 12, an integer) of a date-time column.
    virtual QString monthOf(const QString& column) const = 0;
    // SELECT that answers the server's current local date-time.
    virtual QString currentTimestampQuery() const
    {
        return QStringLiteral("SELECT LOCALTIMESTAMP(3)");
    }

    // --- Inserts ---
    // Text appended to an INSERT so that it returns the new technical key as a row
    // (empty when the key is read with lastInsertId instead).
    virtual QString insertReturningKey() const
    {
        return QStringLiteral(" RETURNING ") + SchemaCatalog::technicalKey();
    }
    qint64 insertedKey(QSqlQuery& query) const;

    // Canonical text of a date-time: local time, millisecond precision, ISO order.
    static QString canonicalDateTime(const QDateTime& value);
    static QString quoted(const QString& text);

protected:
    // The DDL type of a column, without constraints: standard SQL names here; a dialect
    // replaces those its engine spells otherwise.
    virtual QString typeName(const ColumnDef& column) const;
    // Literals of the types whose spelling differs between engines.
    virtual QString booleanLiteral(bool value) const;
    virtual QString blobLiteral(const QByteArray& value) const;
    virtual QString dateTimeLiteral(const QDateTime& value) const;
};

} // namespace tavrel
