#include "Database.h"

#include "ModuleError.h"
#include "SqlText.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlError>
#include <QThread>

namespace tavrel {

namespace {

QString newConnectionName()
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("tavrel-db-%1").arg(counter.fetchAndAddRelaxed(1));
}

qsizetype indexOfName(const QStringList& names, const QString& name)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// Qt 6 holds a null QString as a value, the empty text, where QtSql binds it as NULL and
// the network format carries it as "". Bound as the empty text, it is stored alike
// whichever way it came, and as the change history shows it.
QVariant asWritten(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        return QStringLiteral("");
    return value;
}

} // namespace

struct Database::Private
{
    DatabaseLocation location;
    std::unique_ptr<SqlDialect> dialect;
    QString name;
    QString readName; // SQLite read-only connection, opened on first use
    QSqlDatabase db;
    QSqlDatabase readDb;
    int transactionDepth = 0;
    ReadPrelude prelude;
    mutable bool transientFailure = false; // the last failure lost a race with another transaction

    QSqlDatabase openConnection(const QString& connectionName, bool readOnly)
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(dialect->driverName(), connectionName);
        if (location.engine == DatabaseLocation::Engine::Sqlite) {
            c.setDatabaseName(location.filePath);
        } else {
            c.setHostName(location.host);
            c.setPort(location.port);
            c.setDatabaseName(location.databaseName);
            c.setUserName(location.user);
            c.setPassword(location.password);
        }
        c.setConnectOptions(dialect->connectOptions(readOnly));
        if (!c.open()) {
            const QString message = c.lastError().text().trimmed();
            throw ModuleError(QStringLiteral("No se pudo conectar con la base de datos %1 %2: %3")
                                  .arg(dialect->engineName(), location.serverName(), message),
                              ModuleError::Kind::Connection);
        }
        dialect->initialiseSession(c, readOnly);
        return c;
    }

    [[noreturn]] void fail(const QSqlError& error) const
    {
        const bool lost = dialect->isConnectionFailure(error);
        transientFailure = dialect->isTransientConflict(error);
        QString message = messageOf(error);
        if (lost)
            message = QStringLiteral("Se perdió la conexión con la base de datos %1: %2")
                          .arg(location.serverName(), message);
        throw ModuleError(message,
                          lost ? ModuleError::Kind::Connection : ModuleError::Kind::Server);
    }

    // The prelude's row, from `statement` (a plain SELECT of the list when empty).
    void runPrelude(QSqlDatabase& connection, QString statement = QString())
    {
        if (prelude.selectList.isEmpty())
            return;
        if (statement.isEmpty())
            statement = QStringLiteral("SELECT ") + prelude.selectList;
        QSqlQuery query = run(connection, statement, prelude.values);
        if (!query.next())
            throw ModuleError(QStringLiteral("La consulta previa no devolvió su fila"),
                              ModuleError::Kind::Server);
        if (prelude.check)
            prelude.check(query);
    }

    QSqlQuery run(QSqlDatabase& connection, const QString& sql, const QVariantList& values)
    {
        QSqlQuery query(connection);
        query.setForwardOnly(true);
        const SqlText::Markers markers = SqlText::parseMarkers(sql);
        if (markers.distinct.size() != values.size())
            throw ModuleError(QStringLiteral("La sentencia tiene %1 parámetro(s) (%2) y se "
                                             "recibieron %3 valor(es)")
                                  .arg(markers.distinct.size())
                                  .arg(markers.distinct.join(QLatin1String(", ")))
                                  .arg(values.size()),
                              ModuleError::Kind::Refusal);
        if (markers.occurrences.isEmpty()) {
            if (!query.exec(sql))
                fail(query.lastError());
            return query;
        }
        if (dialect->inlinesValues()) {
            QString text = markers.pieces.first();
            for (qsizetype i = 0; i < markers.occurrences.size(); ++i) {
                const qsizetype index = indexOfName(markers.distinct, markers.occurrences[i]);
                text += dialect->driverLiteral(connection, asWritten(values.at(index)));
                text += markers.pieces.at(i + 1);
            }
            if (!query.exec(text))
                fail(query.lastError());
            return query;
        }
        if (!query.prepare(markers.positionalText))
            fail(query.lastError());
        for (const QString& name : markers.occurrences) {
            const qsizetype index = indexOfName(markers.distinct, name);
            query.addBindValue(dialect->toDatabase(asWritten(values.at(index))));
        }
        if (!query.exec())
            fail(query.lastError());
        return query;
    }
};

Database::Database(std::unique_ptr<Private> p) : d(std::move(p)) {}

std::unique_ptr<Database> Database::open(const QString& locationText, OpenMode mode)
{
    auto p = std::make_unique<Private>();
    p->location = DatabaseLocation::parse(locationText);
    const bool sqlite = p->location.engine == DatabaseLocation::Engine::Sqlite;
    p->dialect =
        SqlDialect::forDriver(sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"));
    if (!QSqlDatabase::isDriverAvailable(p->dialect->driverName()))
        throw ModuleError(QStringLiteral("El controlador %1 de QtSql no está instalado")
                              .arg(p->dialect->driverName()),
                          ModuleError::Kind::Connection);
    if (sqlite && mode == OpenMode::Existing && !QFileInfo(p->location.filePath).isFile())
        throw ModuleError(QStringLiteral("No existe la base de datos %1").arg(p->location.filePath),
                          ModuleError::Kind::Connection);
    p->name = newConnectionName();
    std::unique_ptr<Database> database(new Database(std::move(p)));
    // From here on the destructor removes whatever connection was added.
    database->d->db = database->d->openConnection(database->d->name, false);
    return database;
}

Database::~Database()
{
    d->db.close();
    d->db = QSqlDatabase();
    QSqlDatabase::removeDatabase(d->name);
    if (!d->readName.isEmpty()) {
        d->readDb.close();
        d->readDb = QSqlDatabase();
        QSqlDatabase::removeDatabase(d->readName);
    }
}

const SqlDialect& Database::dialect() const
{
    return *d->dialect;
}

const DatabaseLocation& Database::location() const
{
    return d->location;
}

QSqlDatabase Database::connection() const
{
    return d->db;
}

QSqlQuery Database::exec(const QString& sql, const QVariantList& values)
{
    return d->run(d->db, sql, values);
}

QVariant Database::queryValue(const QString& sql, const QVariantList& values)
{
    QSqlQuery query = exec(sql, values);
    return query.next() ? query.value(0) : QVariant();
}

void Database::readOnly(const QString& sql, const QVariantList& values,
                        const std::function<void(QSqlQuery&)>& read)
{
    // Inside a transaction the statement must see the transaction's own changes.
    if (d->transactionDepth > 0) {
        d->runPrelude(d->db);
        QSqlQuery query = exec(sql, values);
        read(query);
        return;
    }
    if (d->dialect->readsOnSeparateConnection()) {
        if (d->readName.isEmpty()) {
            d->readName = d->name + QStringLiteral("-read");
            d->readDb = d->openConnection(d->readName, true);
        }
        d->runPrelude(d->readDb);
        QSqlQuery query = d->run(d->readDb, sql, values);
        read(query);
        return;
    }
    if (!d->db.transaction())
        d->fail(d->db.lastError());
    try {
        const QString both = d->prelude.selectList.isEmpty()
                                 ? QString()
                                 : d->dialect->readOnlyTransactionSelect(d->prelude.selectList);
        if (both.isEmpty()) {
            exec(d->dialect->readOnlyTransactionStatement());
            d->runPrelude(d->db);
        } else {
            d->runPrelude(d->db, both);
        }
        {
            QSqlQuery query = exec(sql, values);
            read(query);
        }
        d->db.commit();
    } catch (...) {
        d->db.rollback();
        throw;
    }
}

void Database::setReadPrelude(ReadPrelude prelude)
{
    d->prelude = std::move(prelude);
}

void Database::transaction(const std::function<void()>& work, int attempts)
{
    if (d->transactionDepth > 0) {
        work();
        return;
    }
    for (int attempt = 1;; ++attempt) {
        d->transientFailure = false;
        try {
            if (!d->db.transaction())
                d->fail(d->db.lastError());
            d->transactionDepth = 1;
            try {
                work();
            } catch (...) {
                d->transactionDepth = 0;
                d->db.rollback();
                throw;
            }
            d->transactionDepth = 0;
            if (!d->db.commit()) {
                const QSqlError error = d->db.lastError();
                d->db.rollback();
                d->fail(error);
            }
            return;
        } catch (const ModuleError&) {
            if (attempt >= attempts || !d->transientFailure)
                throw;
        }
        // The transactions that met wait different times, longer at each round.
        QThread::msleep(attempt * QRandomGenerator::global()->bounded(5u, 25u));
    }
}

bool Database::inTransaction() const
{
    return d->transactionDepth > 0;
}

QStringList Database::tableNames() const
{
    return d->dialect->tableNames(d->db);
}

QString Database::messageOf(const QSqlError& error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    text = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    for (const char* prefix : {"ERROR:", "FATAL:"}) {
        if (text.startsWith(QLatin1String(prefix)))
            text = text.mid(int(qstrlen(prefix))).trimmed();
    }
    return text;
}

} // namespace tavrel
