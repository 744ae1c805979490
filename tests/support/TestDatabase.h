#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>
#include <cstdio>
#include <memory>

namespace tavrel {
class Database;
class IAppServer;
} // namespace tavrel

namespace tavrel::test {

// A fresh database for one test, on the engine named by the environment variable
// TAVREL_TEST_ENGINE ("sqlite", the default, "postgres" or "remote"). SQLite lives in a
// temporary folder; PostgreSQL gets a database of its own, created through the
// administrative URL in TAVREL_TEST_PG and dropped again by the destructor. "remote" is
// PostgreSQL whose application server is a tavrel-server on the loopback address, one per
// test process, serving the demo database of the test in hand.
class TestDatabase
{
public:
    enum class Content
    {
        Nothing, // no schema; on SQLite not even the file
        Schema,  // the tables, empty
        Demo,    // the tables with the fixed demo data
    };

    // `engineName` overrides the engine of the run ("sqlite" or "postgres"), for tests
    // that compare the two.
    explicit TestDatabase(Content content = Content::Demo, const QString& engineName = engine());
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    static QString engine();
    static bool isPostgres() { return isRemote() || engine() == QLatin1String("postgres"); }
    static bool isRemote() { return engine() == QLatin1String("remote"); }
    // True when the tests run on PostgreSQL but no server is configured.
    static bool postgresUnavailable();

    // The database as LocalAppServer::connect and init-db take it.
    QString url() const { return m_url; }
    // What a desk's session names to reach this database: the protocol ("local", or
    // "http" for the database a remote run serves) and the server argument (the database,
    // or the network server's 127.0.0.1:PORT, started when first asked for).
    QString protocol() const;
    QString server();
    // The same as the host's options --protocol and --server.
    QStringList hostOptions();
    // The application server of the run's engine on this database, logged in as `user`
    // where the server checks logins: in-process, or through the network server when
    // this is the database it serves (in a remote run, a demo database while no other
    // one is served). Throws ModuleError.
    std::unique_ptr<IAppServer> appServer(const QString& user = QStringLiteral("JPEREZ"),
                                          const QString& password = QStringLiteral("Tavrel2026"));

    // Raw SQL for setting up and checking, bound like the server binds (":NAME" markers,
    // one value per distinct name in order of first appearance).
    void exec(const QString& sql, const QVariantList& params = {});
    QVariant queryValue(const QString& sql, const QVariantList& params = {});
    QList<QVariantList> queryRows(const QString& sql, const QVariantList& params = {});

    // The helper connection itself (opened on first use).
    Database& database();
    // Closes the helper connection, e.g. before a test that needs the database alone.
    void disconnect();

private:
    QTemporaryDir m_dir;
    QString m_url;
    QString m_adminUrl;
    QString m_pgName;
    bool m_served = false; // the database the run's tavrel-server serves
    std::unique_ptr<Database> m_db;
};

} // namespace tavrel::test

// Skips the whole test when `unavailable`, printing the marker that ctest reports as
// "skipped".
#define TAVREL_SKIP_POSTGRES_IF(unavailable)                                                       \
    do {                                                                                           \
        if (unavailable) {                                                                         \
            std::fputs("TAVREL_NO_POSTGRES\n", stdout);                                            \
            std::fflush(stdout);                                                                   \
            QSKIP("PostgreSQL is not configured (TAVREL_TEST_PG is unset)");                       \
        }                                                                                          \
    } while (false)

// First statement of initTestCase(): on PostgreSQL without a configured server the whole
// test is skipped.
#define TAVREL_SKIP_WITHOUT_POSTGRES()                                                             \
    TAVREL_SKIP_POSTGRES_IF(tavrel::test::TestDatabase::postgresUnavailable())
// The same for a test that needs PostgreSQL whatever engine the run names (the network
// server serves PostgreSQL only).
#define TAVREL_NEEDS_POSTGRES()                                                                    \
    TAVREL_SKIP_POSTGRES_IF(qEnvironmentVariableIsEmpty("TAVREL_TEST_PG"))
