#include "CausedPreviewCall.h"
#include "DaemonProcess.h"
#include "Database.h"
#include "DemoData.h"
#include "Field.h"
#include "ModuleError.h"
#include "RemoteAppServer.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "ServedDemo.h"
#include "Thrown.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSemaphore>
#include <QTest>
#include <QThread>
#include <atomic>
#include <csignal>
#include <httplib.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

using namespace tavrel;
using tavrel::test::DaemonProcess;
using tavrel::test::ServedDemo;
using tavrel::test::TestDatabase;

namespace {

const QString RelationSql = QStringLiteral("SELECT * FROM NM_RPCOS WHERE COD_EMPR = :P_COD_EMPR "
                                           "ORDER BY TVL_ROWID");

// Answers the first request on each connection, with a keep-alive of one second; reads
// the second and resets the connection, as a server does that closes a kept connection
// just when a request comes.
struct DroppingServer
{
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    QByteArray requests; // read once the thread has ended
    std::thread serving;
    DroppingServer()
    {
        socklen_t size = sizeof at;
        ::bind(listener, reinterpret_cast<sockaddr*>(&at), size);
        ::listen(listener, 4);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&at), &size);
        serving = std::thread([this] {
            const QByteArray answer = "HTTP/1.1 200 OK\r\nKeep-Alive: timeout=1\r\n"
                                      "Content-Length: 84\r\n\r\n"
                                      R"({"token":"t","companies":[],"fields":[],"rows":[],)"
                                      R"("keys":[],"result":null,"args":[]})";
            const linger reset{1, 0};
            for (int fd; (fd = ::accept(listener, nullptr, nullptr)) >= 0; ::close(fd)) {
                ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
                char buffer[65536];
                for (ssize_t n = 0, got;
                     n < 2 && (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
                    requests.append(buffer, got);
                    if (requests.endsWith('}') && ++n == 1) // each body is a JSON object
                        ::send(fd, answer.constData(), size_t(answer.size()), MSG_NOSIGNAL);
                }
            }
        });
    }
    QString address() const { return u"127.0.0.1:%1"_s.arg(ntohs(at.sin_port)); }
    int received(const QByteArray& text)
    {
        if (serving.joinable() && ::shutdown(listener, SHUT_RDWR) == 0)
            serving.join();
        return int(requests.count(text));
    }
    ~DroppingServer() { received({}), ::close(listener); }
};

enum class Killed
{
    Before,
    Waiting,
    AfterCommit
};

// Passes a desk's connections on to the server's port, which may change; can keep the
// server's next answer from the desk, killing the server instead, as if it had died just
// after it committed.
class Relay
{
public:
    explicit Relay(int port) : m_target(port)
    {
        socklen_t size = sizeof m_at;
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&m_at), size);
        ::listen(m_listener, 8);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&m_at), &size);
        m_accepting = std::thread([this] {
            for (int desk; (desk = ::accept(m_listener, nullptr, nullptr)) >= 0;) {
                const int server = ::socket(AF_INET, SOCK_STREAM, 0);
                sockaddr_in to{
                    AF_INET, htons(quint16(m_target.load())), {htonl(INADDR_LOOPBACK)}, {}};
                ::connect(server, reinterpret_cast<sockaddr*>(&to), sizeof to);
                const std::lock_guard lock(m_mutex);
                m_sockets.insert(m_sockets.end(), {desk, server});
                m_pipes.emplace_back([this, desk, server] { pump(desk, server); });
            }
        });
    }
    ~Relay()
    {
        ::shutdown(m_listener, SHUT_RDWR);
        m_accepting.join();
        for (int fd : m_sockets)
            ::shutdown(fd, SHUT_RDWR);
        for (std::thread& pipe : m_pipes)
            pipe.join();
        for (int fd : m_sockets)
            ::close(fd);
        ::close(m_listener);
    }
    QString address() const { return u"127.0.0.1:%1"_s.arg(ntohs(m_at.sin_port)); }
    void setTarget(int port) { m_target = port; }
    void killOnNextAnswer(qint64 server) { m_victim = server; }

private:
    void pump(int desk, int server)
    {
        pollfd ends[2] = {{desk, POLLIN, 0}, {server, POLLIN, 0}};
        char buffer[65536];
        while (::poll(ends, 2, -1) > 0) {
            for (int from = 0; from < 2; ++from) {
                if (!ends[from].revents)
                    continue;
                const ssize_t got = ::recv(ends[from].fd, buffer, sizeof buffer, 0);
                const qint64 victim = from == 1 ? m_victim.exchange(0) : 0;
                if (victim)
                    ::kill(pid_t(victim), SIGKILL);
                if (got <= 0 || victim ||
                    ::send(ends[1 - from].fd, buffer, size_t(got), MSG_NOSIGNAL) != got) {
                    ::shutdown(desk, SHUT_RDWR);
                    ::shutdown(server, SHUT_RDWR);
                    return;
                }
            }
        }
    }

    int m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in m_at{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    std::atomic<int> m_target;
    std::atomic<qint64> m_victim = 0;
    std::mutex m_mutex;
    std::vector<int> m_sockets;
    std::vector<std::thread> m_pipes;
    std::thread m_accepting;
};

// Holds the relation rows of a company in a session of its own and kills the server once
// one of its sessions waits for them.
class CompanyLock
{
public:
    CompanyLock(const QString& url, int company, qint64 server)
        : m_thread([this, url, company, server] {
              std::unique_ptr<Database> db = Database::open(url);
              db->transaction([&] {
                  db->exec(u"SELECT 1 FROM NM_RPCOS WHERE COD_EMPR = %1 FOR UPDATE"_s.arg(company));
                  m_held.release();
                  for (int i = 0; i < 1000; ++i, QThread::msleep(10)) {
                      if (db->queryValue(u"SELECT COUNT(*) FROM pg_stat_activity WHERE "
                                         "pg_backend_pid() = ANY(pg_blocking_pids(pid))"_s)
                              .toInt()) {
                          ::kill(pid_t(server), SIGKILL);
                          break;
                      }
                  }
              });
          })
    {
        m_held.acquire();
    }
    ~CompanyLock() { m_thread.join(); }

private:
    QSemaphore m_held;
    std::thread m_thread;
};

} // namespace

Q_DECLARE_METATYPE(Killed)

class TstRemote : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase() { m_server.reset(); }
    void callsGiveWhatTheInProcessServerGives();
    void sessionsAreSharedByServersAndEndAtLogout();
    void companiesAndCredentialsAreEnforcedByTheDatabase();
    void stopFinishesRequestsInFlight();
    void keptConnectionsTheServerDrops_data();
    void keptConnectionsTheServerDrops();
    void aKilledServerAppliesAPostOnceOrNotAtAll_data();
    void aKilledServerAppliesAPostOnceOrNotAtAll();
    void theHostWorksThroughTheServer();
    void aBigRelationTravelsCompressed();

private:
    std::unique_ptr<ServedDemo> m_server;
};

void TstRemote::initTestCase()
{
    TAVREL_NEEDS_POSTGRES();
    // One database and one server for the whole case: each test touches rows or users of
    // its own.
    m_server = std::make_unique<ServedDemo>();
    QVERIFY2(m_server->ready(), qPrintable(m_server->why()));
}

void TstRemote::callsGiveWhatTheInProcessServerGives()
{
    // Packets, saved rows and conflicts through the server are checked by the _remote runs
    // of the server's tests; here what only the network adds.
    auto remote = RemoteAppServer::login(u"http"_s, m_server->daemon().address(), u"jperez"_s,
                                         u"Tavrel2026"_s);
    QCOMPARE(remote->companies().size(), 3);
    const ParamList company{{u"P_COD_EMPR"_s, 1, FieldType::SmallInt}};
    QVERIFY(!remote->open(u"DtsPVeZEZev"_s, RelationSql, company).rows.isEmpty());
    remote.reset(); // logs out

    // The server writes a line once the answer is sent.
    const auto lines = [this] { return m_server->accessLog(); };
    QTRY_VERIFY(lines().contains(u" JPEREZ logout - rows=0"_s));
    QVERIFY2(lines().contains(u" JPEREZ open DtsPVeZEZev rows="_s), qPrintable(lines()));
    QVERIFY(!lines().contains(u"Tavrel2026"_s));
}

void TstRemote::sessionsAreSharedByServersAndEndAtLogout()
{
    DaemonProcess second(m_server->roles());
    QVERIFY(second.started());
    const QString token = m_server->login(ServedDemo::MGomez, ServedDemo::MGomezPassword);
    const QByteArray open =
        R"({"provider":"DtsPGnEmpre","commandText":"SELECT * FROM GN_EMPRE","params":[]})";
    QCOMPARE(ServedDemo::post(second.port(), "/v1/open", open, token).status, 200);
    QCOMPARE(ServedDemo::post(second.port(), "/v1/logout", "{}", token).status, 200);
    QCOMPARE(m_server->post("/v1/open", open, token).status, 401);
}

void TstRemote::companiesAndCredentialsAreEnforcedByTheDatabase()
{
    auto remote = RemoteAppServer::login(u"http"_s, m_server->daemon().address(), u"MGOMEZ"_s,
                                         u"Nomina2026"_s);
    const auto open = [&](const QString& sql) { return remote->open(u"DtsPTemporal"_s, sql, {}); };
    // The caused-value preview shows company 2's three rows only.
    QCOMPARE(
        CausedPreviewCall::call(*remote, {2, 2013, QDateTime::currentDateTime()}).rows.rows.size(),
        3);
    for (const char* secret : {"SELECT CLA_USUA FROM GN_USUAR", "SELECT * FROM TVL_SESION",
                               "SELECT COD_USUA FROM TVL_INTENTO", "SELECT * FROM TVL_HISTORIA"})
        QVERIFY_THROWS_EXCEPTION(ModuleError, open(QLatin1String(secret)));
    QCOMPARE(open(u"SELECT NOM_USUA FROM GN_USUAR"_s).rows.size(), 3);
}

void TstRemote::stopFinishesRequestsInFlight()
{
    DaemonProcess daemon(m_server->roles());
    QVERIFY(daemon.started());
    const QString token = ServedDemo::login(daemon.port(), u"JPEREZ"_s, u"Tavrel2026"_s);
    // The read waits for a lock that another connection holds for 1.5 s.
    std::atomic<bool> locked = false;
    std::thread holder([&, url = m_server->database().url()] {
        auto db = Database::open(url);
        db->transaction([&] {
            db->exec(u"LOCK TABLE GN_EMPRE IN ACCESS EXCLUSIVE MODE"_s);
            locked = true;
            QThread::msleep(1500);
        });
    });
    QTRY_VERIFY(locked);
    ServedDemo::Reply slow;
    std::thread request([&] {
        slow = ServedDemo::post(
            daemon.port(), "/v1/open",
            R"js({"provider":"DtsPTemporal","commandText":"SELECT * FROM GN_EMPRE","params":[]})js",
            token);
    });
    QTest::qWait(500);
    QCOMPARE(daemon.stop(), 0);
    request.join();
    holder.join();
    QCOMPARE(slow.status, 200);
}

void TstRemote::keptConnectionsTheServerDrops_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<int>("pauseMs");
    QTest::addColumn<int>("received"); // 1 with an error: a change is never made twice
    QTest::newRow("a read the server dropped is sent again") << "open" << 0 << 2;
    QTest::newRow("a dropped change may have been made") << "apply" << 0 << 1;
    QTest::newRow("so may a dropped method") << "invoke" << 0 << 1;
    QTest::newRow("idle half the keep-alive: a new connection") << "apply" << 600 << 1;
}

void TstRemote::keptConnectionsTheServerDrops()
{
    QFETCH(QString, call);
    QFETCH(int, pauseMs);
    QFETCH(int, received);
    DroppingServer server;
    auto remote = RemoteAppServer::login(u"http"_s, server.address(), u"JPEREZ"_s, u"x"_s);
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    const bool fails = call != u"open"_s && pauseMs == 0;
    QVariantList none;
    try {
        if (call == u"open"_s)
            remote->open(u"DtsPTemporal"_s, u"Marca"_s, {});
        else if (call == u"apply"_s)
            remote->applyUpdates(u"Marca"_s, Delta{});
        else
            remote->invoke(u"Marca"_s, none);
        QVERIFY(!fails);
    } catch (const ModuleError& e) {
        QVERIFY2(fails && e.kind() == ModuleError::Kind::Connection, qPrintable(e.message()));
    }
    remote.reset();
    QCOMPARE(server.received("Marca"), received);
}

void TstRemote::aKilledServerAppliesAPostOnceOrNotAtAll_data()
{
    QTest::addColumn<Killed>("killed");
    QTest::addColumn<bool>("appliedFirst"); // whether the first post reached the table

    QTest::newRow("gone before the post: sent again, applied once") << Killed::Before << false;
    // The row lock another session holds keeps the apply in its transaction when the
    // server dies: the database rolls it back.
    QTest::newRow("killed while the apply waits for its row: nothing written, applied once")
        << Killed::Waiting << false;
    // Committed, but the answer never reached the desk: the same post finds the row
    // stamped by its own first try, a conflict for the desk to look at.
    QTest::newRow("killed after the commit, its answer lost: refused as a conflict")
        << Killed::AfterCommit << true;
}

void TstRemote::aKilledServerAppliesAPostOnceOrNotAtAll()
{
    QFETCH(Killed, killed);
    QFETCH(bool, appliedFirst);
    static int round = 0;
    const QString typed = u"CAIDA %1"_s.arg(++round);
    TestDatabase& db = m_server->database();
    const auto count = [&db](const QString& sql) { return db.queryValue(sql).toInt(); };
    const QString withTyped = u"SELECT COUNT(*) FROM NM_RPCOS WHERE DEP_APAC = '%1'"_s.arg(typed);
    const QString history = u"SELECT COUNT(*) FROM TVL_HISTORIA"_s;

    auto daemon = std::make_unique<DaemonProcess>(m_server->roles());
    QVERIFY(daemon->started());
    Relay relay(daemon->port());
    SDCOMConnection connection;
    connection.setAppServer(
        RemoteAppServer::login(u"http"_s, relay.address(), u"MGOMEZ"_s, u"Nomina2026"_s));
    SClientDataSet relation;
    relation.setProviderName(u"DtsPVeZEZev"_s);
    relation.setRemoteServer(&connection);
    relation.setCommandText(u"SELECT * FROM NM_RPCOS ORDER BY TVL_ROWID"_s);
    relation.open();
    const int company = relation.fieldByName(u"COD_EMPR"_s)->asInteger();
    relation.edit();
    relation.fieldByName(u"DEP_APAC"_s)->setValue(typed);
    relation.post();
    const int logged = count(history);

    std::optional<CompanyLock> lock;
    if (killed == Killed::Before)
        daemon->kill();
    else if (killed == Killed::Waiting)
        lock.emplace(db.url(), company, daemon->processId());
    else
        relay.killOnNextAnswer(daemon->processId());
    const auto error = thrownBy([&] { relation.applyUpdates(); });
    lock.reset();
    QVERIFY(mentions(error, {relay.address()}));
    QCOMPARE(error->kind(), ModuleError::Kind::Connection);
    QCOMPARE(relation.state(), DataSetState::Edit);
    QCOMPARE(relation.fieldByName(u"DEP_APAC"_s)->value(), typed);
    QCOMPARE(std::pair(count(withTyped), count(history)),
             std::pair(int(appliedFirst), logged + int(appliedFirst)));

    // The server back, where the desk left it; its session is kept in the database.
    daemon = std::make_unique<DaemonProcess>(m_server->roles());
    QVERIFY(daemon->started());
    relay.setTarget(daemon->port());
    const auto again = thrownBy([&] { relation.applyUpdates(); });
    if (appliedFirst) {
        QVERIFY(again && again->kind() == ModuleError::Kind::Conflict);
        QVERIFY(mentions(again, {u"modificado o borrado por otro usuario"}));
        relation.cancel();
        relation.refresh();
        QVERIFY(relation.locate(u"DEP_APAC"_s, {typed}, {}));
    } else {
        QVERIFY2(!again, qPrintable(again ? again->message() : QString()));
    }
    QCOMPARE(std::pair(count(withTyped), count(history)), std::pair(1, logged + 1));
}

void TstRemote::theHostWorksThroughTheServer()
{
    // The module's caused-value update, run by the headless host as MGOMEZ: its statements
    // pass the server's list, and only company 2's rows are stamped.
    TestDatabase& db = m_server->database();
    db.exec(u"UPDATE NM_RPCOS SET ACT_HORA = :H"_s, {QDateTime(QDate(2001, 1, 1), QTime())});
    QProcess host;
    host.start(QStringLiteral(TAVREL_HOST_BIN),
               {"call", "--protocol", "http", "--server", m_server->daemon().address(), "--user",
                "mgomez", "--password", "Nomina2026", "--company", "2", "VEdUvura",
                "ActualizarCausado"});
    QVERIFY(host.waitForFinished(120000));
    QVERIFY2(host.exitCode() == 0, host.readAllStandardError().constData());
    const auto stamped = [&db](const QString& companies) {
        return db
            .queryValue(u"SELECT COUNT(*) FROM NM_RPCOS WHERE ACT_HORA > :H AND "_s + companies,
                        {QDateTime::currentDateTime().addSecs(-120)})
            .toInt();
    };
    QCOMPARE(stamped(u"COD_EMPR <> 2"_s), 0);
    QCOMPARE(stamped(u"COD_EMPR = 2"_s), 3);
}

void TstRemote::aBigRelationTravelsCompressed()
{
    // A big entity's relation of 1,000 rows: the generated rows go to companies 11 to 15
    // in turn. In a database of its own, so that the other tests' companies stay three.
    ServedDemo big;
    QVERIFY2(big.ready(), qPrintable(big.why()));
    DemoData::generate(big.database().database(), 5000, 0);
    const std::string token = big.login(u"JPEREZ"_s, u"Tavrel2026"_s).toStdString();
    const QJsonObject company{
        {u"name"_s, u"P_COD_EMPR"_s}, {u"type"_s, u"smallint"_s}, {u"value"_s, 11}};
    const std::string open = QJsonDocument(QJsonObject{{u"provider"_s, u"DtsPVeZEZev"_s},
                                                       {u"commandText"_s, RelationSql},
                                                       {u"params"_s, QJsonArray{company}}})
                                 .toJson(QJsonDocument::Compact)
                                 .toStdString();
    // The answer as it came over the wire, and the bytes of its headers and body.
    const auto fetch = [&](const char* accepted, bool inflate, size_t& sent) {
        httplib::Client client("127.0.0.1", big.daemon().port());
        client.set_decompress(inflate);
        const auto result = client.Post(
            "/v1/open", {{"Authorization", "Bearer " + token}, {"Accept-Encoding", accepted}}, open,
            "application/json");
        if (!result)
            return httplib::Response();
        sent = result->body.size() + 16;
        for (const auto& [name, value] : result->headers)
            sent += name.size() + value.size() + 4;
        return result.value();
    };
    size_t plainBytes = 0, packedBytes = 0, unused = 0;
    const httplib::Response plain = fetch("identity", true, plainBytes);
    const httplib::Response packed = fetch("gzip, deflate", false, packedBytes);
    const httplib::Response inflated = fetch("gzip", true, unused);
    qInfo("a relation packet of 1,000 rows: %zu bytes plain, %zu in gzip", plainBytes, packedBytes);
    QCOMPARE(plain.status, 200);
    QCOMPARE(
        QJsonDocument::fromJson(QByteArray::fromStdString(plain.body))["rows"].toArray().size(),
        1000);
    // A desk that does not take gzip gets the packet as it was.
    QVERIFY(!plain.has_header("Content-Encoding"));
    QCOMPARE(packed.get_header_value("Content-Encoding"), std::string("gzip"));
    QVERIFY2(packedBytes <= 35000, qPrintable(QString::number(packedBytes)));
    QVERIFY(inflated.body == plain.body);
}

QTEST_GUILESS_MAIN(TstRemote)
#include "tst_remote.moc"
