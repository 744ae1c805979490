#include "ActualizacionCausado.h"
#include "Database.h"
#include "Field.h"
#include "LocalAppServer.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "TestDatabase.h"

#include <QScopeGuard>
#include <QTest>
#include <QThread>
#include <atomic>
#include <optional>
#include <thread>

using namespace Qt::StringLiterals;

using namespace tavrel;
using tavrel::test::TestDatabase;

// The database fails in the middle of a call. After each fault the desk has a clear
// message, the row being edited keeps what the user typed, the database holds all of the
// change or none of it (the relation, its history TVL_HISTORIA, the caused values), and
// the next call on the same server object works once the database is back. On
// PostgreSQL (in-process and through tavrel-server) a second connection holds a lock the
// server's statement needs and ends the server's session once it waits there; "Away"
// also makes the database refuse connections. On SQLite the file runs out of pages.
namespace {

enum class Call
{
    Edit,
    Insert,
    Delete,
    Caused,
    Read,
    Login,
    Time
};
enum class Fault
{
    KillWaiting,
    Kill,
    Away,
    Full
};
enum class Written
{
    Nothing,
    UpdateOnly,
    Everything
};

const QString RelationSql = u"SELECT * FROM NM_RPCOS WHERE COD_EMPR = 1 ORDER BY TVL_ROWID"_s;

// Holds `lock` on a connection of its own and ends the session that waits behind it.
class Terminator
{
public:
    Terminator(const QString& url, const QString& lock)
        : m_thread([this, url, lock] {
              try {
                  std::unique_ptr<Database> db = Database::open(url);
                  db->transaction([&] {
                      db->exec(lock);
                      m_holding = true;
                      for (int i = 0; i < 1000 && !m_ended && !m_stop; ++i, QThread::msleep(10))
                          m_ended = db->queryValue(u"SELECT pg_terminate_backend(pid) FROM "
                                                   "pg_stat_activity WHERE pg_backend_pid() = "
                                                   "ANY(pg_blocking_pids(pid)) LIMIT 1"_s)
                                        .toBool();
                  });
              } catch (const ModuleError& e) {
                  m_error = e.message();
              }
              m_holding = true;
          })
    {
        while (!m_holding)
            QThread::msleep(5);
    }
    ~Terminator() { finish(); }
    QString error() const { return m_error; } // why the lock was not taken
    bool finish()                             // true when it ended a waiting session
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_ended;
    }

private:
    std::atomic<bool> m_holding = false, m_ended = false, m_stop = false;
    QString m_error; // set before m_holding
    std::thread m_thread;
};

} // namespace

class TstFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void afterAFaultNothingIsLostAndTheNextCallWorks_data();
    void afterAFaultNothingIsLostAndTheNextCallWorks();

private:
    QString snapshot(); // the relation and the history count as one text
    int count(const char* sql) { return m_db->queryValue(QLatin1String(sql)).toInt(); }
    void inject(Fault fault);
    void bringBack(Fault fault);
    void allowConnections(bool allow);

    std::unique_ptr<TestDatabase> m_db;
    std::shared_ptr<IAppServer> m_server;
    SDCOMConnection m_connection;
};

void TstFaults::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
    m_db = std::make_unique<TestDatabase>();
    m_server = m_db->appServer();
    m_connection.setAppServer(m_server);
}

void TstFaults::cleanupTestCase()
{
    m_connection.setAppServer(nullptr);
    m_server.reset();
    m_db.reset();
}

QString TstFaults::snapshot()
{
    QStringList text;
    for (const QVariantList& row : m_db->queryRows(u"SELECT * FROM NM_RPCOS ORDER BY TVL_ROWID"_s))
        for (const QVariant& value : row)
            text << value.toString();
    return text.join(u'|') + u" history %1"_s.arg(count("SELECT COUNT(*) FROM TVL_HISTORIA"));
}

// Ends the server's sessions; Away also makes the database refuse new ones.
void TstFaults::inject(Fault fault)
{
    if (fault == Fault::Away)
        allowConnections(false);
    const QString others = u" FROM pg_stat_activity WHERE datname = "
                           "current_database() AND pid <> pg_backend_pid()"_s;
    m_db->exec(u"SELECT pg_terminate_backend(pid)"_s + others);
    for (int i = 0; i < 500 && m_db->queryValue(u"SELECT COUNT(*)"_s + others).toInt(); ++i)
        QThread::msleep(10);
}

void TstFaults::bringBack(Fault fault)
{
    if (fault == Fault::Away)
        allowConnections(true);
    else if (fault == Fault::Full)
        static_cast<LocalAppServer&>(*m_server).database().exec(
            u"PRAGMA max_page_count = 1073741823"_s);
}

// Only a connection to another database may close this one to new connections.
void TstFaults::allowConnections(bool allow)
{
    Database::open(qEnvironmentVariable("TAVREL_TEST_PG"))
        ->exec(u"ALTER DATABASE \"%1\" ALLOW_CONNECTIONS %2"_s.arg(
            m_db->queryValue(u"SELECT current_database()"_s).toString(),
            QLatin1String(allow ? "true" : "false")));
}

void TstFaults::afterAFaultNothingIsLostAndTheNextCallWorks_data()
{
    QTest::addColumn<Call>("call");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("lock"); // what KillWaiting holds; %1, %2 the rows edited
    QTest::addColumn<int>("after");    // Kill, Away: after this many EjecutarSQL calls
    QTest::addColumn<QString>("message");
    QTest::addColumn<Written>("written");

    // Over the network the database's words (which name its host) stay in the server's
    // log: the desk gets a reference to them.
    const bool remote = TestDatabase::isRemote();
    const QString lost = remote ? u"no puede usar la base de datos (referencia "_s
                                : u"Se perdió la conexión con la base de datos"_s;
    const QString refused = remote ? u"no puede usar la base de datos (referencia "_s
                                   : u"No se pudo conectar con la base de datos"_s;
    const QString caused =
        u"Error actualizando nm_rpcos.. "_s +
        (remote ? u"Error en el servidor de aplicaciones (referencia "_s : QString());
    const QString row = u"SELECT 1 FROM NM_RPCOS WHERE TVL_ROWID = %1 FOR UPDATE"_s;
    const QString history = u"LOCK TABLE TVL_HISTORIA IN SHARE MODE"_s;
    const QString turn = u"SELECT pg_advisory_lock(hashtext('tavrel.bulk-writes'))"_s;
    const auto reading = [](const char* table) {
        return u"LOCK TABLE %1 IN ACCESS EXCLUSIVE MODE"_s.arg(QLatin1String(table));
    };
    if (!TestDatabase::isPostgres()) {
        QTest::newRow("400 inserts run out of pages part way: none is kept")
            << Call::Insert << Fault::Full << QString() << 0
            << u"no tiene espacio para guardar el cambio"_s << Written::Nothing;
        return;
    }
    // A statement that failed once sent is never sent again: the call reports the loss.
    QTest::newRow("apply: waiting on the first row")
        << Call::Edit << Fault::KillWaiting << row.arg(u"%1"_s) << 0 << lost << Written::Nothing;
    QTest::newRow("apply: the first row written, waiting on the second")
        << Call::Edit << Fault::KillWaiting << row.arg(u"%2"_s) << 0 << lost << Written::Nothing;
    QTest::newRow("apply: writing the history of a row")
        << Call::Edit << Fault::KillWaiting << history << 0 << lost << Written::Nothing;
    QTest::newRow("apply insert: its history, the last statement before the commit")
        << Call::Insert << Fault::KillWaiting << history << 0 << lost << Written::Nothing;
    QTest::newRow("apply delete: its history, the last statement before the commit")
        << Call::Delete << Fault::KillWaiting << history << 0 << lost << Written::Nothing;
    QTest::newRow("caused update: waiting for its turn, before the update")
        << Call::Caused << Fault::KillWaiting << turn << 0 << caused + (remote ? QString() : lost)
        << Written::Nothing;
    QTest::newRow("caused update: the update made, writing its history")
        << Call::Caused << Fault::KillWaiting << history << 0
        << caused + (remote ? QString() : lost) << Written::Nothing;
    QTest::newRow("relation read (window and report)")
        << Call::Read << Fault::KillWaiting << reading("NM_RPCOS") << 0 << lost << Written::Nothing;
    QTest::newRow("login") << Call::Login << Fault::KillWaiting << reading("GN_USUAR") << 0 << lost
                           << Written::Nothing;
    // The module sends the update and its clean-up as two calls, committed apart. In
    // process the server answers the clean-up with status 1, which the module prefixes;
    // the network server refuses the call itself, whose message passes unchanged.
    QTest::newRow("caused update: the database away between the update and its clean-up")
        << Call::Caused << Fault::Away << QString() << 1 << refused << Written::UpdateOnly;
    QTest::newRow("caused update: the database away after the clean-up, at the next call")
        << Call::Caused << Fault::Away << QString() << 2 << refused << Written::Everything;
    QTest::newRow("server time: the database away")
        << Call::Time << Fault::Away << QString() << 0 << refused << Written::Nothing;
    // A session ended while idle is found before anything was sent: the call goes on
    // over a new connection, once.
    QTest::newRow("apply after the session ended while idle: applied once")
        << Call::Edit << Fault::Kill << QString() << 0 << QString() << Written::Everything;
    QTest::newRow("caused update: the session ended between the update and its clean-up")
        << Call::Caused << Fault::Kill << QString() << 1 << QString() << Written::Everything;
    QTest::newRow("server time after the session ended while idle")
        << Call::Time << Fault::Kill << QString() << 0 << QString() << Written::Nothing;
}

void TstFaults::afterAFaultNothingIsLostAndTheNextCallWorks()
{
    QFETCH(Call, call);
    QFETCH(Fault, fault);
    QFETCH(QString, lock);
    QFETCH(int, after);
    QFETCH(QString, message);
    QFETCH(Written, written);

    // The desk: the relation open, the user's changes posted, not yet sent. The values
    // are new in every row of the test, so that each one changes something.
    static int round = 0;
    const QString typed = u"FALLA %1 "_s.arg(++round);
    SClientDataSet relation;
    relation.setProviderName(u"DtsPVeZEZev"_s);
    relation.setRemoteServer(&m_connection);
    relation.setCommandText(RelationSql);
    relation.open();
    const int rows = relation.recordCount();
    const auto type = [&](const QString& value) {
        relation.fieldByName(u"DEP_APAC"_s)->setValue(typed + value);
        relation.post();
    };
    if (call == Call::Edit) {
        relation.first(), relation.edit(), type(u"UNO"_s);
        relation.next(), relation.edit(), type(u"DOS"_s);
    } else if (call == Call::Insert) {
        for (int i = 0; i < (fault == Fault::Full ? 400 : 1); ++i) {
            relation.append();
            relation.fieldByName(u"COD_EMPR"_s)->setValue(1);
            type(u"NUEVA"_s);
        }
    } else if (call == Call::Delete) {
        relation.last(), relation.deleteRecord();
    }
    QStringList keys;
    for (const QVariantList& key : m_db->queryRows(
             u"SELECT TVL_ROWID FROM NM_RPCOS WHERE COD_EMPR = 1 ORDER BY TVL_ROWID LIMIT 2"_s))
        keys << key.first().toString();
    const int changes = relation.changeCount();
    const QString before = snapshot();
    if (fault == Fault::Full)
        static_cast<LocalAppServer&>(*m_server).database().exec(
            u"PRAGMA max_page_count = %1"_s.arg(count("PRAGMA page_count")));

    // The module's yearly caused-value run, with the fault after EjecutarSQL number `after`.
    int sent = 0;
    ActualizacionCausado::Servidor module;
    module.fechaServidor = [&] {
        QVariantList none;
        return m_server->invoke(u"BuscarFechaServidor"_s, none).toDateTime();
    };
    module.leerFecRpco = [] { return u"2013"_s; };
    module.ejecutarSQL = [&](QVariantList& statement, QString& error) {
        QVariantList args{QVariant(statement), QVariant(), QString()};
        const QVariant answer = m_server->invoke(u"EjecutarSQL"_s, args);
        error = args[2].toString();
        if (++sent == after)
            inject(fault);
        return answer;
    };
    const auto run = [&] {
        QVariantList args{u"JPEREZ"_s, u"Tavrel2026"_s, QString()};
        switch (call) {
        case Call::Caused:
            ActualizacionCausado::ejecutar(module, QDateTime::currentDateTime(), u"JPEREZ"_s,
                                           u"N"_s, u"dd/MM/yyyy"_s);
            break;
        case Call::Read:
            QCOMPARE(m_server->open(u"DtsPVeZEZev"_s, RelationSql, {}).rows.size(), rows);
            break;
        case Call::Login:
            QCOMPARE(m_server->invoke(u"ValidarUsuario"_s, args), QVariant(0));
            break;
        case Call::Time:
            args.clear();
            QVERIFY(m_server->invoke(u"BuscarFechaServidor"_s, args).isValid());
            break;
        default:
            relation.applyUpdates();
        }
    };

    QString got;
    const auto back = qScopeGuard([&] { bringBack(fault); }); // also when a check fails
    if ((fault == Fault::Kill || fault == Fault::Away) && after == 0)
        inject(fault);
    try {
        std::optional<Terminator> terminator;
        if (fault == Fault::KillWaiting)
            terminator.emplace(
                m_db->url(),
                QString(lock).replace(u"%1"_s, keys.value(0)).replace(u"%2"_s, keys.value(1)));
        if (terminator)
            QVERIFY2(terminator->error().isEmpty(), qPrintable(terminator->error()));
        run();
        QVERIFY2(!terminator || !terminator->finish(), "the call went on after its session ended");
        QVariantList none;
        if (after == 2) // the loss shows at the next call
            m_server->invoke(u"BuscarFechaServidor"_s, none);
    } catch (const ModuleError& e) {
        got = e.message();
    }
    QVERIFY2(message.isEmpty() ? got.isEmpty() : got.contains(message), qPrintable(got));

    // The desk: the last row sent back in editing with what was typed, a deleted row back
    // in its place; the rest of the change log stays, as the history shows further down.
    if (!got.isEmpty() && changes > 0) {
        QCOMPARE(relation.state(), call == Call::Delete ? DataSetState::Browse
                                   : call == Call::Edit ? DataSetState::Edit
                                                        : DataSetState::Insert);
        if (call != Call::Delete)
            QCOMPARE(relation.fieldByName(u"DEP_APAC"_s)->asString(),
                     typed + (call == Call::Edit ? u"DOS"_s : u"NUEVA"_s));
        QCOMPARE(relation.recordCount(), rows + (call == Call::Insert ? changes - 1 : 0));
    }
    const QString now = snapshot();
    const int empty = count("SELECT COUNT(*) FROM NM_RPCOS WHERE VAL_CAUS IS NULL");
    QCOMPARE(now == before, written == Written::Nothing);
    if (written == Written::UpdateOnly) // the rows without movements wait for the clean-up
        QVERIFY(empty > 0);

    // The database back: the same server object and dataset finish the work.
    bringBack(fault);
    if (!got.isEmpty()) {
        if (relation.state() != DataSetState::Browse)
            relation.post();
        if (call == Call::Delete)
            relation.last(), relation.deleteRecord();
        sent = after = 0;
        run();
    }
    // Every change recorded once: the whole delta was kept, and none was made twice.
    if (changes > 0)
        QCOMPARE(count("SELECT COUNT(*) FROM TVL_HISTORIA"),
                 before.section(u" history "_s, -1).toInt() + changes);
    QVERIFY(call != Call::Caused ||
            count("SELECT COUNT(*) FROM NM_RPCOS WHERE VAL_CAUS IS NULL") == 0);
}

QTEST_GUILESS_MAIN(TstFaults)
#include "tst_faults.moc"
