#pragma once

#include "TavrelServerExport.h"

#include <QList>
#include <QSqlDriver>
#include <utility>

struct pg_conn;

namespace tavrel {

// A QtSql driver for PostgreSQL on libpq that sends every statement with the extended
// query protocol: the text of one statement in one message and its values apart, as
// parameters. The database then refuses a text that holds more than one statement, and no
// value (a session token, a desk's text) is ever part of a statement's text, where the
// database's activity view would show it to other connections of the same role.
//
// Settings given at construction go to the server with the connection's start-up packet,
// so they are the session's defaults: a RESET or DISCARD ALL returns to them.
class TAVREL_SERVER_EXPORT PgDriver : public QSqlDriver
{
    Q_OBJECT

public:
    using Settings = QList<std::pair<QString, QString>>;

    explicit PgDriver(Settings settings = {}, QObject* parent = nullptr);
    ~PgDriver() override;

    bool hasFeature(DriverFeature feature) const override;
    // `options` as "key=value;key=value" libpq connection keywords (connect_timeout=5).
    bool open(const QString& db, const QString& user, const QString& password, const QString& host,
              int port, const QString& options) override;
    void close() override;
    QSqlResult* createResult() const override;
    bool beginTransaction() override;
    bool commitTransaction() override;
    bool rollbackTransaction() override;
    QStringList tables(QSql::TableType type) const override;
    QString escapeIdentifier(const QString& identifier, IdentifierType type) const override;
    QVariant handle() const override;

    // Sends `sql` (one statement, no values) without waiting for its answer, which the
    // next statement on the connection collects first: a reset after a request costs the
    // request no round trip. False when it could not be sent.
    bool sendDeferred(const char* sql);
    // Collects the answer of a deferred statement, if one is pending. When it failed, the
    // connection is closed, so that the next statement fails as a lost connection and is
    // never run on a connection in an unknown state.
    void settle() const;

    pg_conn* connection() const
    {
        settle();
        return m_connection;
    }
    // The error of a statement that failed on this connection: its SQLSTATE, or "08006"
    // when the connection itself was lost.
    QSqlError errorOf(const QString& context, const char* message, const char* state) const;

private:
    bool command(const char* sql, const QString& context);

    Settings m_settings;
    // Changed by settle(), which every statement calls first, including those of const
    // callers (results hold a const driver).
    mutable pg_conn* m_connection = nullptr;
    mutable bool m_deferred = false;
};

} // namespace tavrel
