#pragma once

#include "TavrelServerExport.h"

#include "DatabaseLocation.h"
#include "SqlDialect.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>

class QSqlError;

namespace tavrel {

// One open database: a uniquely named QtSql connection (two on SQLite, whose read-only
// SELECTs run on a second connection opened read-only) and the dialect of its engine.
// Statements use ":NAME" markers; their values are given one per distinct name, in the
// order in which the names first appear in the text, and are bound through the dialect.
// Every failure is thrown as ModuleError: kind Connection when the database cannot be
// reached, Server when a statement fails (the message is the database's own, explained
// when the storage is full or read-only).
//
// A connection found lost is opened again by the next statement or transaction of the
// same object, so a host keeps working once the database is back. A transaction whose
// BEGIN finds the connection gone (it died while idle) reconnects and begins once more;
// a statement that failed after it was sent is never sent again from here.
class TAVREL_SERVER_EXPORT Database
{
public:
    enum class OpenMode
    {
        Existing,         // the database must exist (a missing SQLite file is an error)
        CreateSqliteFile, // a missing SQLite file is created (init-db only)
    };

    // `settings` are the defaults every session of the connection starts with, where the
    // engine takes them (PostgreSQL: statement_timeout, …).
    static std::unique_ptr<Database> open(const QString& location,
                                          OpenMode mode = OpenMode::Existing,
                                          const SqlDialect::SessionSettings& settings = {});
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const SqlDialect& dialect() const;
    const DatabaseLocation& location() const;
    bool isPostgres() const { return location().engine == DatabaseLocation::Engine::Postgres; }
    QSqlDatabase connection() const;

    // Runs a statement; the query comes back active (positioned before the first row).
    QSqlQuery exec(const QString& sql, const QVariantList& values = {});
    // The first column of the first row, or an invalid QVariant when there is no row.
    QVariant queryValue(const QString& sql, const QVariantList& values = {});
    // Runs one SELECT so that it cannot write, and hands the active query to `read`.
    void readOnly(const QString& sql, const QVariantList& values,
                  const std::function<void(QSqlQuery&)>& read);

    // A select list (one row, ":NAME" markers, from `from` when given) that every
    // readOnly() runs first, in the same transaction, and what checks that row before the
    // SELECT runs (it throws to refuse). Where the engine allows, the row comes in the
    // round trip that makes the transaction read-only. The network server binds a
    // request's session this way. An empty select list removes it.
    //
    // A `lasting` prelude sets what it sets for the connection, not only for the
    // transaction (set_config(..., false)). Where the engine allows, its round trip then
    // also makes every later transaction of the connection read-only, and each read runs
    // as the prelude and the SELECT alone, each its own transaction: two round trips
    // instead of four. The connection reads only from then on, and since whatever the
    // prelude set stays until the next prelude replaces it, every read must have one.
    struct ReadPrelude
    {
        QString selectList;
        QString from; // e.g. "FROM (SELECT 1) O LEFT JOIN f(:T) S ON TRUE"; may be empty
        QVariantList values;
        std::function<void(QSqlQuery&)> check; // the query is on its row
        bool lasting = false;
    };
    void setReadPrelude(ReadPrelude prelude);

    // Runs `step`, which begins a call with statements that only read, and when it fails
    // because the connection died while idle, opens the connection again and runs `step`
    // once more. Transactions and the reads' preludes begin this way.
    void onLiveConnection(const std::function<void()>& step);

    // Returns the connection to the state it started in (settings, temporary objects,
    // session locks, prepared statements), then runs the session statement again. Where
    // the engine allows, the reset is sent without waiting: the next statement waits for
    // it, and fails as on a lost connection if it failed. Throws ModuleError; a
    // connection that could not be reset must not be used again.
    void resetSession();

    // A statement that prepares the main connection for the statements after it (a
    // session setting): run now, and again whenever a lost connection is opened anew.
    void setSessionStatement(const QString& sql, const QVariantList& values);

    // Runs `work` in a transaction: committed when it returns, rolled back when it
    // throws. Nested calls join the outer transaction. With `attempts` above 1, a
    // transaction that lost a race with another one (a deadlock or a serialization
    // failure) is rolled back and `work` runs again after a short pause, up to `attempts`
    // times in all; `work` must then be repeatable.
    void transaction(const std::function<void()>& work, int attempts = 1);
    // Runs `work` in a transaction that is always rolled back, so that what it writes is
    // seen by its own statements only, and its locks end with it. Attempts as above.
    // Throws ModuleError inside another transaction, whose part it could not undo apart.
    void trial(const std::function<void()>& work, int attempts = 1);
    // The attempts of a transaction that other desks may race: one and three more.
    static constexpr int conflictAttempts = 4;
    bool inTransaction() const;

    QStringList tableNames() const;

    // A database message cleaned for users: first line, without the engine's prefix.
    static QString messageOf(const QSqlError& error);

private:
    struct Private;
    explicit Database(std::unique_ptr<Private> d);
    std::unique_ptr<Private> d;
};

} // namespace tavrel
