#include "Database.h"

#include "ModuleError.h"
#include "SqlText.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDriver>
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
    SqlDialect::SessionSettings settings;
    QString sessionSql;
    QVariantList sessionValues;
    mutable bool transientFailure = false; // the last failure lost a race with another transaction
    mutable bool lost = false; // a statement found the connection gone; reopened before the next

    QSqlDatabase openConnection(const QString& connectionName, bool readOnly)
    {
        QSqlDriver* driver = dialect->createDriver(settings);
        QSqlDatabase c = driver ? QSqlDatabase::addDatabase(driver, connectionName)
                                : QSqlDatabase::addDatabase(dialect->driverName(), connectionName);
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
        connect(c, readOnly);
        return c;
    }

    void connect(QSqlDatabase& c, bool readOnly)
    {
        if (!c.open()) {
            const QString message = c.lastError().text().trimmed();
            throw ModuleError(QStringLiteral("No se pudo conectar con la base de datos %1 %2: %3")
                                  .arg(dialect->engineName(), location.serverName(), message),
                              ModuleError::Kind::Connection);
        }
        dialect->initialiseSession(c, readOnly);
    }

    // Called before each statement outside a transaction and before each transaction:
    // a connection lost by an earlier call is opened again, once per call. When the
    // database is still away the call fails with the connection message and the next
    // one tries again. Nothing that failed is ever sent again from here.
    void reopenIfLost()
    {
        if (!lost || transactionDepth > 0)
            return;
        db.close();
        if (!readName.isEmpty()) {
            readDb.close();
            readDb = QSqlDatabase();
            QSqlDatabase::removeDatabase(readName);
            readName.clear(); // opened again on first use
        }
        connect(db, false);
        lost = false;
        if (!sessionSql.isEmpty())
            run(db, sessionSql, sessionValues);
    }

    // Runs `step`, the first thing a call sends on the main connection. A connection
    // that died while idle (the database restarted, an administrator ended the session)
    // fails here before anything of the call reached the database: it is opened again
    // and `step` repeated, once. `step` must only read or begin.
    void onLiveConnection(const std::function<void()>& step)
    {
        reopenIfLost();
        try {
            step();
        } catch (const ModuleError& e) {
            if (e.kind() != ModuleError::Kind::Connection)
                throw;
            reopenIfLost();
            step();
        }
    }

    void begin()
    {
        onLiveConnection([this] {
            if (!db.transaction())
                fail(db.lastError());
        });
    }

    [[noreturn]] void fail(const QSqlError& error) const
    {
        const bool connectionLost = dialect->isConnectionFailure(error);
        lost = lost || connectionLost;
        transientFailure = dialect->isTransientConflict(error);
        QString message = messageOf(error);
        if (connectionLost)
            message = QStringLiteral("Se perdió la conexión con la base de datos %1: %2")
                          .arg(location.serverName(), message);
        switch (dialect->storageFailure(error)) {
        case SqlDialect::StorageFailure::None:
            break;
        case SqlDialect::StorageFailure::Full:
            message = QStringLiteral("La base de datos %1 no tiene espacio para guardar el "
                                     "cambio (el disco o el tamaño máximo de la base de datos "
                                     "está lleno); no se guardó nada. Libere espacio y repita "
                                     "la operación. Detalle: %2")
                          .arg(location.serverName(), message);
            break;
        case SqlDialect::StorageFailure::ReadOnly:
            message = QStringLiteral("La base de datos %1 solo se puede leer; no se guardó "
                                     "nada. Revise los permisos del archivo y repita la "
                                     "operación. Detalle: %2")
                          .arg(location.serverName(), message);
            break;
        }
        throw ModuleError(message, connectionLost ? ModuleError::Kind::Connection
                                                  : ModuleError::Kind::Server);
    }

    // The prelude's row, from `select` (a plain SELECT of the list when empty).
    void runPrelude(QSqlDatabase& connection, QString select = QString())
    {
        if (prelude.selectList.isEmpty())
            return;
        if (select.isEmpty())
            select = QStringLiteral("SELECT ") + prelude.selectList;
        if (!prelude.from.isEmpty())
            select += QLatin1Char(' ') + prelude.from;
        QSqlQuery query = run(connection, select, prelude.values);
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
        if (dialect->numbersParameters()) {
            QString text = markers.pieces.first();
            for (qsizetype i = 0; i < markers.occurrences.size(); ++i) {
                const qsizetype index = indexOfName(markers.distinct, markers.occurrences[i]);
                text += QLatin1Char('$') + QString::number(index + 1) + markers.pieces.at(i + 1);
            }
            if (!query.prepare(text))
                fail(query.lastError());
            for (const QVariant& value : values)
                query.addBindValue(dialect->toDatabase(asWritten(value)));
            if (!query.exec())
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

std::unique_ptr<Database> Database::open(const QString& locationText, OpenMode mode,
                                         const SqlDialect::SessionSettings& settings)
{
    auto p = std::make_unique<Private>();
    p->settings = settings;
    p->location = DatabaseLocation::parse(locationText);
    const bool sqlite = p->location.engine == DatabaseLocation::Engine::Sqlite;
    p->dialect =
        SqlDialect::forDriver(sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"));
    if (!p->dialect->driverAvailable())
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
    d->reopenIfLost();
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
        d->reopenIfLost();
        if (d->readName.isEmpty()) {
            d->readName = d->name + QStringLiteral("-read");
            d->readDb = d->openConnection(d->readName, true);
        }
        d->runPrelude(d->readDb);
        QSqlQuery query = d->run(d->readDb, sql, values);
        read(query);
        return;
    }
    // A single SELECT is consistent on its own; the transaction around it is there to
    // make it read-only and to hold what the prelude sets, which a lasting prelude does
    // for the whole connection.
    const QString lasting = d->prelude.lasting && !d->prelude.selectList.isEmpty()
                                ? d->dialect->readOnlySessionSelect(d->prelude.selectList)
                                : QString();
    if (!lasting.isEmpty()) {
        d->onLiveConnection([&] { d->runPrelude(d->db, lasting); });
        QSqlQuery query = exec(sql, values);
        read(query);
        return;
    }
    d->begin();
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

void Database::onLiveConnection(const std::function<void()>& step)
{
    d->onLiveConnection(step);
}

void Database::setReadPrelude(ReadPrelude prelude)
{
    d->prelude = std::move(prelude);
}

void Database::resetSession()
{
    if (!d->dialect->resetSession(d->db))
        return;
    if (!d->sessionSql.isEmpty())
        d->run(d->db, d->sessionSql, d->sessionValues);
}

void Database::setSessionStatement(const QString& sql, const QVariantList& values)
{
    exec(sql, values);
    d->sessionSql = sql;
    d->sessionValues = values;
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
            d->begin();
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

void Database::trial(const std::function<void()>& work, int attempts)
{
    if (d->transactionDepth > 0)
        throw ModuleError(QStringLiteral("Una prueba que se deshace no puede correr dentro de "
                                         "otra transacción"));
    struct Undone
    {
    };
    try {
        transaction(
            [&work] {
                work();
                throw Undone();
            },
            attempts);
    } catch (const Undone&) {
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
