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

using namespace tavrel;
using tavrel::test::TestDatabase;

// The data layer loses its database in the middle of a call. After each fault the desk
// must have a clear message, the row being edited must keep what the user typed, the
// database must hold all of the change or none of it (the table, its change history
// TVL_HISTORIA, the caused values), and the next call on the same server object must
// work once the database is back. TAVREL_FAULT_TABLE=1 prints each point's outcome.
//
// On PostgreSQL (in-process and through tavrel-server) the server is stopped at a point
// from outside: a second connection holds a lock the server's statement needs and ends
// the server's session once it waits there. "Away" also refuses new connections until
// the database comes back. On SQLite the file runs out of pages.
namespace {

enum class Call
{
    EditTwoRows, // the relation dataset posts two edited rows in one delta
    InsertRow,
    InsertMany,
    DeleteRow,
    CausedUpdate, // the module's yearly caused-value run: update, then its clean-up
    OpenRelation, // the relation's read, as the report and the window do it
    Login,
    ServerTime,
};
enum class Fault
{
    KillWaiting, // the session ended while its statement waits behind `lock`
    Kill,        // the session ended before the call (after EjecutarSQL number `after`)
    Away,        // the same, and the database refuses connections until it is back
    Full,        // SQLite: no page left for the change
};
enum class Written
{
    Nothing,
    UpdateOnly, // the caused values without their clean-up: what the module sent
    Everything,
};

struct Outcome
{
    QString point, message, kept, written;
};
QList<Outcome> gOutcomes;

const QString RelationSql =
    QStringLiteral("SELECT * FROM NM_RPCOS WHERE COD_EMPR = 1 ORDER BY TVL_ROWID");

// A second connection that holds `lock` in a transaction and, once a session waits
// behind it, ends that session as an administrator would.
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
                      for (int i = 0; i < 1000 && !m_ended && !m_stop; ++i) {
                          const QVariant pid = db->queryValue(QStringLiteral(
                              "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                              "pg_backend_pid() = ANY(pg_blocking_pids(pid)) LIMIT 1"));
                          m_ended = pid.toBool();
                          QThread::msleep(10);
                      }
                  });
              } catch (const ModuleError& e) {
                  qWarning("the lock was not taken: %s", qPrintable(e.message()));
              }
              m_holding = true;
          })
    {
        while (!m_holding)
            QThread::msleep(5);
    }
    ~Terminator() { finish(); }
    // True when it ended a waiting session.
    bool finish()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_ended;
    }

private:
    std::atomic<bool> m_holding = false, m_ended = false, m_stop = false;
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
    // The relation and the history as one text: equal texts, equal data.
    QString snapshot();
    void injectBetweenCalls(Fault fault);
    void allowConnections(bool allow);
    void bringBack(Fault fault);
    void call(Call call, SClientDataSet& relation);

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
    if (qEnvironmentVariableIsSet("TAVREL_FAULT_TABLE")) {
        for (const Outcome& o : std::as_const(gOutcomes))
            std::printf("%-8s | %-62s | %-18s | %-12s | %s\n", qPrintable(TestDatabase::engine()),
                        qPrintable(o.point), qPrintable(o.written), qPrintable(o.kept),
                        qPrintable(o.message.left(110)));
    }
    m_server.reset();
    m_connection.setAppServer(nullptr);
    m_db.reset();
}

QString TstFaults::snapshot()
{
    QStringList text;
    for (const QVariantList& row :
         m_db->queryRows(QStringLiteral("SELECT * FROM NM_RPCOS ORDER BY TVL_ROWID")))
        for (const QVariant& value : row)
            text << value.toString();
    return text.join(u'|') + QStringLiteral("|history ") +
           m_db->queryValue(QStringLiteral("SELECT COUNT(*) FROM TVL_HISTORIA")).toString();
}

// Ends the server's sessions; Away also makes the database refuse new ones, which only a
// connection to another database may do.
void TstFaults::injectBetweenCalls(Fault fault)
{
    if (fault == Fault::Away)
        allowConnections(false);
    const QString others = QStringLiteral(" FROM pg_stat_activity WHERE datname = "
                                          "current_database() AND pid <> pg_backend_pid()");
    m_db->exec(QStringLiteral("SELECT pg_terminate_backend(pid)") + others);
    for (int i = 0; i < 500 && m_db->queryValue(QStringLiteral("SELECT COUNT(*)") + others).toInt();
         ++i)
        QThread::msleep(10);
}

void TstFaults::allowConnections(bool allow)
{
    const QString name = m_db->queryValue(QStringLiteral("SELECT current_database()")).toString();
    Database::open(qEnvironmentVariable("TAVREL_TEST_PG"))
        ->exec(QStringLiteral("ALTER DATABASE \"%1\" ALLOW_CONNECTIONS %2")
                   .arg(name, allow ? QStringLiteral("true") : QStringLiteral("false")));
}

void TstFaults::bringBack(Fault fault)
{
    if (fault == Fault::Away)
        allowConnections(true);
    else if (fault == Fault::Full)
        static_cast<LocalAppServer&>(*m_server).database().exec(
            QStringLiteral("PRAGMA max_page_count = 1073741823"));
}

void TstFaults::call(Call call, SClientDataSet& relation)
{
    QVariantList args;
    switch (call) {
    case Call::EditTwoRows:
    case Call::InsertRow:
    case Call::InsertMany:
    case Call::DeleteRow:
        relation.applyUpdates();
        return;
    case Call::CausedUpdate:
        QFAIL("run through runCaused");
    case Call::OpenRelation:
        QCOMPARE(m_server->open(QStringLiteral("DtsPVeZEZev"), RelationSql, {}).rows.size(),
                 relation.recordCount());
        return;
    case Call::Login:
        args = {QStringLiteral("JPEREZ"), QStringLiteral("Tavrel2026"), QString()};
        QCOMPARE(m_server->invoke(QStringLiteral("ValidarUsuario"), args).toInt(), 0);
        return;
    case Call::ServerTime:
        QVERIFY(m_server->invoke(QStringLiteral("BuscarFechaServidor"), args).isValid());
        return;
    }
}

void TstFaults::afterAFaultNothingIsLostAndTheNextCallWorks_data()
{
    QTest::addColumn<Call>("call");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("lock"); // what KillWaiting holds; %1, %2 the rows edited
    QTest::addColumn<int>("after");    // Kill/Away: after this many EjecutarSQL calls
    QTest::addColumn<QString>("message");
    QTest::addColumn<Written>("written");

    const QString lost = QStringLiteral("Se perdió la conexión con la base de datos");
    const QString refused = QStringLiteral("No se pudo conectar con la base de datos");
    const QString caused = QStringLiteral("Error actualizando nm_rpcos.. ");
    const QString row = QStringLiteral("SELECT 1 FROM NM_RPCOS WHERE TVL_ROWID = %1 FOR UPDATE");
    const QString history = QStringLiteral("LOCK TABLE TVL_HISTORIA IN SHARE MODE");
    const auto read = [](const char* table) {
        return QStringLiteral("LOCK TABLE %1 IN ACCESS EXCLUSIVE MODE").arg(QLatin1String(table));
    };
    if (!TestDatabase::isPostgres()) {
        QTest::newRow("many inserts run out of pages part way: none is kept")
            << Call::InsertMany << Fault::Full << QString() << 0
            << QStringLiteral("no tiene espacio para guardar el cambio") << Written::Nothing;
        return;
    }
    // A statement that fails once sent is never sent again: the call reports the loss.
    QTest::newRow("apply: waiting on the first row")
        << Call::EditTwoRows << Fault::KillWaiting << row.arg(QLatin1String("%1")) << 0 << lost
        << Written::Nothing;
    QTest::newRow("apply: the first row written, waiting on the second")
        << Call::EditTwoRows << Fault::KillWaiting << row.arg(QLatin1String("%2")) << 0 << lost
        << Written::Nothing;
    QTest::newRow("apply: writing the history of a row") << Call::EditTwoRows << Fault::KillWaiting
                                                         << history << 0 << lost << Written::Nothing;
    QTest::newRow("apply insert: its history, the last statement before the commit")
        << Call::InsertRow << Fault::KillWaiting << history << 0 << lost << Written::Nothing;
    QTest::newRow("apply delete: its history, the last statement before the commit")
        << Call::DeleteRow << Fault::KillWaiting << history << 0 << lost << Written::Nothing;
    QTest::newRow("caused update: waiting for its turn, before the update")
        << Call::CausedUpdate << Fault::KillWaiting
        << QStringLiteral("SELECT pg_advisory_lock(hashtext('tavrel.bulk-writes'))") << 0
        << caused + lost << Written::Nothing;
    QTest::newRow("caused update: the update made, writing its history")
        << Call::CausedUpdate << Fault::KillWaiting << history << 0 << caused + lost
        << Written::Nothing;
    QTest::newRow("relation read (window and report)")
        << Call::OpenRelation << Fault::KillWaiting << read("NM_RPCOS") << 0 << lost
        << Written::Nothing;
    QTest::newRow("login") << Call::Login << Fault::KillWaiting << read("GN_USUAR") << 0 << lost
                           << Written::Nothing;
    // The module sends the update and its clean-up as two calls, committed apart.
    QTest::newRow("caused update: the database away between the update and its clean-up")
        << Call::CausedUpdate << Fault::Away << QString() << 1 << caused + refused
        << Written::UpdateOnly;
    QTest::newRow("caused update: the database away after the clean-up, at the next call")
        << Call::CausedUpdate << Fault::Away << QString() << 2 << refused << Written::Everything;
    QTest::newRow("server time: the database away") << Call::ServerTime << Fault::Away << QString()
                                                    << 0 << refused << Written::Nothing;
    // A session ended while idle is found at BEGIN, before anything was sent: the
    // call goes on over a new connection, once.
    QTest::newRow("apply after the session ended while idle: applied once")
        << Call::EditTwoRows << Fault::Kill << QString() << 0 << QString() << Written::Everything;
    QTest::newRow("caused update: the session ended between the update and its clean-up")
        << Call::CausedUpdate << Fault::Kill << QString() << 1 << QString() << Written::Everything;
    QTest::newRow("server time after the session ended while idle")
        << Call::ServerTime << Fault::Kill << QString() << 0 << QString() << Written::Nothing;
}

void TstFaults::afterAFaultNothingIsLostAndTheNextCallWorks()
{
    QFETCH(Call, call);
    QFETCH(Fault, fault);
    QFETCH(QString, lock);
    QFETCH(int, after);
    QFETCH(QString, message);
    QFETCH(Written, written);

    // The desk's side: the relation open, the user's changes posted and not yet sent.
    SClientDataSet relation;
    relation.setProviderName(QStringLiteral("DtsPVeZEZev"));
    relation.setRemoteServer(&m_connection);
    relation.setCommandText(RelationSql);
    relation.open();
    QStringList keys;
    for (const QVariantList& key : m_db->queryRows(QStringLiteral(
             "SELECT TVL_ROWID FROM NM_RPCOS WHERE COD_EMPR = 1 ORDER BY TVL_ROWID LIMIT 3")))
        keys << key.first().toString();
    const int rows = relation.recordCount();
    // Values no earlier row typed, so that every row changes something.
    static int round = 0;
    ++round;
    const auto typed = [](const char* what) {
        return QStringLiteral("FALLA %1 %2").arg(round).arg(QLatin1String(what));
    };
    const auto type = [&](const char* what) {
        relation.fieldByName(QStringLiteral("DEP_APAC"))->setValue(typed(what));
        relation.post();
    };
    if (call == Call::EditTwoRows) {
        relation.first(), relation.edit(), type("UNO");
        relation.next(), relation.edit(), type("DOS");
    } else if (call == Call::InsertRow || call == Call::InsertMany) {
        for (int i = 0; i < (call == Call::InsertMany ? 400 : 1); ++i) {
            relation.append();
            relation.fieldByName(QStringLiteral("COD_EMPR"))->setValue(1);
            relation.fieldByName(QStringLiteral("COD_CUEN"))->setValue(QStringLiteral("FALLA"));
            type("FILA NUEVA");
        }
    } else if (call == Call::DeleteRow) {
        relation.last();
        relation.deleteRecord();
    }
    const int changes = relation.changeCount();
    const QString before = snapshot();
    if (fault == Fault::Full)
        static_cast<LocalAppServer&>(*m_server).database().exec(
            QStringLiteral("PRAGMA max_page_count = %1")
                .arg(m_db->queryValue(QStringLiteral("PRAGMA page_count")).toInt()));

    // The run of the module's caused-value update, with the fault after call `after`.
    int sent = 0;
    ActualizacionCausado::Servidor module;
    module.fechaServidor = [&] {
        QVariantList none;
        return m_server->invoke(QStringLiteral("BuscarFechaServidor"), none).toDateTime();
    };
    module.leerFecRpco = [] { return QStringLiteral("2013"); };
    module.ejecutarSQL = [&](QVariantList& statement, QString& error) {
        QVariantList args{QVariant(statement), QVariant(), QString()};
        const QVariant answer = m_server->invoke(QStringLiteral("EjecutarSQL"), args);
        error = args[2].toString();
        if (++sent == after)
            injectBetweenCalls(fault);
        return answer;
    };
    const auto run = [&] {
        if (call == Call::CausedUpdate)
            ActualizacionCausado::ejecutar(module, QDateTime::currentDateTime(),
                                           QStringLiteral("JPEREZ"), QStringLiteral("N"),
                                           QStringLiteral("dd/MM/yyyy"));
        else
            this->call(call, relation);
    };

    Outcome outcome{QString::fromLatin1(QTest::currentDataTag()), {}, {}, {}};
    const auto back = qScopeGuard([&] { bringBack(fault); }); // also when a check fails
    if ((fault == Fault::Kill || fault == Fault::Away) && after == 0)
        injectBetweenCalls(fault);
    try {
        std::optional<Terminator> terminator;
        if (fault == Fault::KillWaiting)
            terminator.emplace(m_db->url(), QString(lock).replace(QLatin1String("%1"), keys.value(0))
                                                   .replace(QLatin1String("%2"), keys.value(1)));
        run();
        if (terminator)
            QVERIFY2(!terminator->finish(), "the call went on after its session ended");
        if (call == Call::CausedUpdate && after == 2) // the fault shows at the next call
            this->call(Call::ServerTime, relation);
    } catch (const ModuleError& e) {
        outcome.message = e.message();
    }
    gOutcomes.append(outcome);
    if (message.isEmpty())
        QVERIFY2(outcome.message.isEmpty(), qPrintable(outcome.message));
    else
        QVERIFY2(outcome.message.startsWith(message) || outcome.message.contains(message),
                 qPrintable(outcome.message));

    // The user's rows: the last one back in editing with what was typed, a deleted one
    // back in its place. The rest of the change log stays, as the history shows below.
    if (!outcome.message.isEmpty() && changes > 0) {
        const bool deleted = call == Call::DeleteRow;
        QCOMPARE(relation.state(), deleted                    ? DataSetState::Browse
                                   : call == Call::EditTwoRows ? DataSetState::Edit
                                                               : DataSetState::Insert);
        if (deleted)
            QCOMPARE(relation.recordCount(), rows);
        else
            QCOMPARE(relation.fieldByName(QStringLiteral("DEP_APAC"))->asString(),
                     typed(call == Call::EditTwoRows ? "DOS" : "FILA NUEVA"));
        outcome.kept = QStringLiteral("edición intacta");
    }
    const QString after_ = snapshot();
    const auto nulls = [&] {
        return m_db->queryValue(QStringLiteral("SELECT COUNT(*) FROM NM_RPCOS WHERE VAL_CAUS IS NULL"))
            .toInt();
    };
    switch (written) {
    case Written::Nothing:
        QCOMPARE(after_, before);
        outcome.written = QStringLiteral("nada escrito");
        break;
    case Written::UpdateOnly:
        QVERIFY(after_ != before && nulls() > 0);
        outcome.written = QStringLiteral("solo la actualización");
        break;
    case Written::Everything:
        QVERIFY(after_ != before);
        QVERIFY(call != Call::CausedUpdate || nulls() == 0);
        outcome.written = QStringLiteral("todo");
        break;
    }

    // The database back: the same server object and dataset finish the work.
    bringBack(fault);
    if (!outcome.message.isEmpty()) {
        if (relation.state() != DataSetState::Browse)
            relation.post();
        if (call == Call::DeleteRow)
            relation.last(), relation.deleteRecord();
        sent = after = 0;
        run();
    }
    // Every change recorded once: the whole delta was kept, and none was made twice.
    if (changes > 0)
        QCOMPARE(m_db->queryValue(QStringLiteral("SELECT COUNT(*) FROM TVL_HISTORIA")).toInt(),
                 before.section(QStringLiteral("|history "), 1).toInt() + changes);
    QVERIFY(call != Call::CausedUpdate || nulls() == 0);
    gOutcomes.last() = outcome;
}

QTEST_GUILESS_MAIN(TstFaults)
#include "tst_faults.moc"
