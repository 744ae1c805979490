#include "StatementAttacks.h"

#include "Database.h"
#include "ServedDemo.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QTest>
#include <QUrl>

#include <atomic>
#include <thread>

using namespace Qt::StringLiterals;

using tavrel::Database;
using tavrel::test::DaemonProcess;
using tavrel::test::ServedDemo;

namespace {

// What a desk could change for everyone: the reader role's settings and the temporary
// tables of the database.
QString roleState(ServedDemo& server)
{
    return server.database()
        .queryValue(QStringLiteral(
            "SELECT concat_ws('|', (SELECT string_agg(array_to_string(s.setconfig, ','), ';') "
            "FROM pg_db_role_setting s JOIN pg_roles r ON r.oid = s.setrole "
            "WHERE r.rolname LIKE '%\\_lector'), "
            "(SELECT count(*) FROM pg_class WHERE relpersistence = 't'))"))
        .toString();
}

} // namespace

void StatementAttacks::refusedReads_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named"); // a part of the refusal
    const QString several = u"varias sentencias"_s;
    // PostgreSQL ends a "--" comment at a carriage return too: a check of the text that
    // ends it only at a line feed sees one SELECT, and the simple query protocol then runs
    // every statement of the text.
    QTest::newRow("leave the read-only transaction, change the reader's settings")
        << "SELECT 1 --\r; COMMIT; ALTER ROLE CURRENT_USER SET search_path = pg_temp, public"
        << several;
    QTest::newRow("leave it and change the reader's password: every later login fails")
        << "SELECT 1 --\r; COMMIT; ALTER ROLE CURRENT_USER PASSWORD 'tomado'" << several;
    QTest::newRow("a temporary table that stands in for the relation in later reads")
        << "SELECT 1 --\r; COMMIT; SET default_transaction_read_only = off; "
           "CREATE TEMP TABLE nm_rpcos AS SELECT * FROM public.nm_rpcos"
        << several;
    QTest::newRow("plain second statement") << "SELECT 1; SELECT 2" << several;
    // A lock taken for the session outlives the read; the bulk-writes lock stops every
    // caused-value update.
    QTest::newRow("session advisory lock")
        << "SELECT pg_advisory_lock(hashtext('tavrel.bulk-writes'))"
        << "pg_advisory_lock";
    QTest::newRow("quoted, schema-qualified") << R"(SELECT pg_catalog."pg_try_advisory_lock"(1))"
                                              << "pg_try_advisory_lock";
    QTest::newRow("sleep holds the worker") << "SELECT pg_sleep(30)"
                                            << "pg_sleep";
    // Connections of one role may signal each other: a desk could end other desks' reads.
    QTest::newRow("end another connection")
        << "SELECT pg_terminate_backend(pid) FROM pg_stat_activity"
        << "pg_terminate_backend";
    QTest::newRow("other connections' statements") << "SELECT query FROM pg_stat_activity"
                                                   << "pg_stat_activity";
    QTest::newRow("server files") << "SELECT pg_read_file('/etc/passwd')"
                                  << "pg_read_file";
    QTest::newRow("large objects") << "SELECT lo_import('/etc/passwd')"
                                   << "lo_import";
    QTest::newRow("a query built at run time, which no list of names sees")
        << "SELECT query_to_xml('SELECT pg_' || 'advisory_lock(77)', true, true, '')"
        << "query_to_xml";
    QTest::newRow("a name spelled with Unicode escapes") << R"(SELECT U&"pg\0073leep"(30))"
                                                         << "U&";
}

void StatementAttacks::refusedReads()
{
    QFETCH(QString, text);
    QFETCH(QString, named);
    const QString before = roleState(*m_server);
    QElapsedTimer clock;
    clock.start();
    const ServedDemo::Reply reply = m_server->open(m_token, text);
    QCOMPARE(reply.status, 422);
    QVERIFY2(reply.message().contains(named, Qt::CaseInsensitive), qPrintable(reply.message()));
    QVERIFY(clock.elapsed() < 2000);
    QCOMPARE(roleState(*m_server), before);
    // Nothing was left holding the bulk-writes lock.
    QVERIFY(m_server->database()
                .queryValue(QStringLiteral("SELECT count(*) FROM pg_locks WHERE locktype = "
                                           "'advisory'"))
                .toInt() == 0);
    // The reader still connects, and reads what it read before.
    QVERIFY(m_server->daemon().renewConnections());
    const QString other = m_server->login(ServedDemo::JPerez, ServedDemo::JPerezPassword);
    QCOMPARE(m_server->companiesSeen(other), (QList<int>{1, 2, 3}));
    QCOMPARE(m_server->companiesSeen(m_token), QList<int>{2});
}

void StatementAttacks::tokensNeverInStatementText()
{
    const QString token = m_server->login(ServedDemo::JPerez, ServedDemo::JPerezPassword);
    QVERIFY(!token.isEmpty());
    // The database's activity view, watched as closely as possible while the desk works;
    // every connection of a role sees the statements of the others.
    std::atomic<bool> working = true;
    std::atomic<int> looks = 0;
    QString seen;
    std::thread watcher([&] {
        // As each of the server's roles: a role sees its own connections' statements.
        auto reader = Database::open(m_server->roleUrl("--reader"));
        auto server = Database::open(m_server->roleUrl("--database"));
        while (working) {
            for (Database* db : {reader.get(), server.get()}) {
                const QString texts =
                    db->queryValue(QStringLiteral("SELECT string_agg(query, ' ') FROM "
                                                  "pg_stat_activity WHERE pid <> pg_backend_pid()"))
                        .toString();
                if (texts.contains(token))
                    seen = texts;
            }
            ++looks;
        }
    });
    for (int i = 0; i < 200 && seen.isEmpty(); ++i)
        m_server->open(token, u"SELECT COD_EMPR FROM NM_RPCOS WHERE COD_EMPR = 1"_s);
    working = false;
    watcher.join();
    QVERIFY2(seen.isEmpty(), qPrintable(seen));
    QVERIFY(looks > 100);
}

void StatementAttacks::nothingStaysForTheNextDesk()
{
    const QString second = m_server->login(ServedDemo::JPerez, ServedDemo::JPerezPassword);
    const QString settings = QStringLiteral(
        "SELECT current_setting('search_path'), current_setting('statement_timeout'), "
        "current_setting('tavrel.prueba', true), current_setting('default_transaction_read_only')");
    // A custom setting, once set, stays defined for the connection; reset, it is empty,
    // as it is null when never set.
    const auto state = [&](const QString& token) {
        QStringList values;
        const QJsonArray rows = m_server->open(token, settings).body.value(u"rows"_s).toArray();
        for (const QJsonValue& value : rows.at(0).toArray())
            values.append(value.toString());
        return values;
    };
    const QStringList clean = state(second);
    QCOMPARE(clean.size(), 4);
    // The first desk changes what it can for the connection, not only for its read.
    const ServedDemo::Reply changed = m_server->open(
        m_token, QStringLiteral("SELECT set_config('search_path', 'pg_catalog', false), "
                                "set_config('statement_timeout', '0', false), "
                                "set_config('tavrel.prueba', 'dejado', false), "
                                "set_config('default_transaction_read_only', 'off', false), "
                                "set_config('tavrel.sesion', 'otra', false)"));
    QCOMPARE(changed.status, 200);
    QCOMPARE(state(second), clean);
    QCOMPARE(m_server->companiesSeen(second), (QList<int>{1, 2, 3}));
    QCOMPARE(m_server->companiesSeen(m_token), QList<int>{2});
    const ServedDemo::Reply write =
        m_server->open(second, u"SELECT * INTO TEMP TMP_COPIA FROM GN_EMPRE"_s);
    QVERIFY2(write.status >= 400, write.raw.c_str());
}

void StatementAttacks::resetReleasesSessionLocks()
{
    // The reset the server runs after each read, on a reader connection of its own.
    auto reader = Database::open(m_server->roleUrl("--reader"));
    reader->exec(u"SELECT pg_advisory_lock(4242)"_s);
    reader->exec(u"SELECT set_config('search_path', 'pg_catalog', false)"_s);
    reader->resetSession();
    QCOMPARE(reader->queryValue(u"SELECT current_setting('search_path')"_s).toString(),
             u"\"$user\", public"_s);
    auto other = Database::open(m_server->database().url());
    QVERIFY(other->queryValue(u"SELECT pg_try_advisory_lock(4242)"_s).toBool());
}

void StatementAttacks::longReadsAreCut()
{
    QElapsedTimer clock;
    clock.start();
    const ServedDemo::Reply reply =
        m_server->open(m_token, u"SELECT count(*) FROM generate_series(1, 100000000000)"_s);
    QVERIFY(reply.status >= 400);
    QVERIFY2(clock.elapsed() < 10000, QByteArray::number(clock.elapsed()));
    // The one worker is free again.
    QCOMPARE(m_server->companiesSeen(m_token), QList<int>{2});
}

void StatementAttacks::misconfiguredRolesAreRefused_data()
{
    QTest::addColumn<QString>("grant");
    QTest::addColumn<bool>("serverAsReader");
    QTest::addColumn<QString>("message");
    QTest::newRow("the server's login as the reader: it reads password hashes")
        << QString() << true << "puede leer las claves";
    QTest::newRow("a reader that may write")
        << "GRANT UPDATE ON NM_RPCOS TO %1" << false << "puede modificar las tablas nm_rpcos";
    QTest::newRow("a reader that may create temporary tables")
        << "GRANT TEMPORARY ON DATABASE %2 TO %1" << false << "objetos temporales";
    QTest::newRow("a company table without row-level security")
        << "ALTER TABLE NM_RPCOS DISABLE ROW LEVEL SECURITY" << false
        << "no tienen la seguridad por filas activa";
}

void StatementAttacks::misconfiguredRolesAreRefused()
{
    QFETCH(QString, grant);
    QFETCH(bool, serverAsReader);
    QFETCH(QString, message);
    ServedDemo server;
    QVERIFY2(server.ready(), qPrintable(server.why()));
    QStringList roles = server.roles();
    const qsizetype reader = roles.indexOf(u"--reader"_s) + 1;
    if (serverAsReader)
        roles[reader] = server.roleUrl("--database");
    const QUrl url(roles[reader]);
    if (!grant.isEmpty())
        server.database().exec(
            QString(grant).replace(u"%1"_s, url.userName()).replace(u"%2"_s, url.path().mid(1)));
    DaemonProcess daemon(roles);
    QVERIFY(!daemon.started());
    QVERIFY2(daemon.errors().contains(message), qPrintable(daemon.errors()));
}
