// Desks that edit, insert and delete the rows of one company's relation at once, and now
// and then rewrite every caused value, in interleavings drawn from a seeded generator.
// Each desk has its own connection on a thread of its own: in-process on the run's engine,
// and on the remote run half of them through the network server, half in-process on the
// database it serves. A run is a few batches; the desks of a batch call the server at the
// same moment, and a desk edits what it read last, however old that is.
//
// After each run the table and its change history must tell one story: the history holds
// exactly the accepted changes, one entry each; replayed in its order, every accepted
// change finds the values it read in the columns it checks, every caused-value update
// rewrites all the rows there are, and the result is the table. Every refusal is the
// conflict message of a row that really had changed while the desk's batch ran.
//
// TAVREL_RACE_RUNS and TAVREL_RACE_SEED change the runs and the first seed of the first
// row; a failure names its seed, and TAVREL_RACE_RUNS=1 TAVREL_RACE_SEED=<seed> runs it
// again (the same choices; which desk of a batch wins may differ).

#include "ActualizacionCausado.h"
#include "AppServerFactory.h"
#include "IAppServer.h"
#include "ModuleError.h"
#include "TestDatabase.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

using namespace tavrel;
using tavrel::test::TestDatabase;

namespace {

const QString Provider = QStringLiteral("DtsPVeZEZev");
const QString ConflictText = QStringLiteral("fue modificado o borrado por otro usuario");
using Row = QVariantMap;
using Table = QMap<qint64, Row>;
using Types = QHash<QString, FieldType>;

// The columns a desk edits and the values it draws for them: few, so that desks often
// write what is already there, and nulls, so that originals are checked with IS NULL.
const QList<std::pair<QString, QVariantList>> Editable{
    {QStringLiteral("COD_FUEN"), {QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("1"), {}}},
    {QStringLiteral("COD_PRES"), {10, 11, 28, {}}},
    {QStringLiteral("COD_SITU"), {QStringLiteral("01"), QStringLiteral("02")}},
    {QStringLiteral("DEP_APAC"), {QStringLiteral("URGENCIAS"), QStringLiteral("TESORERÍA"), QString(), {}}},
    {QStringLiteral("VAL_TOTA"), {1000.25, 98000000.0, 0.0, {}}},
    {QStringLiteral("CAS_CONT"), {1001, 7, {}}}};

Table tableOf(const DataPacket& p)
{
    Table t;
    for (int r = 0; r < p.rows.size(); ++r) {
        for (int c = 0; c < p.columns.size(); ++c)
            t[p.rowKeys[r]].insert(p.columns[c].name, p.rows[r][c]);
    }
    return t;
}

DataPacket readPacket(IAppServer& server)
{
    return server.open(Provider,
                       QStringLiteral("SELECT * FROM NM_RPCOS WHERE COD_EMPR = :P_COD_EMPR"),
                       {{QStringLiteral("P_COD_EMPR"), 1, FieldType::SmallInt}});
}

// A value as the change history shows it.
QJsonValue shown(const QVariant& v, FieldType type)
{
    if (isNull(v))
        return QJsonValue::Null;
    const QVariant c = coerce(v, type);
    switch (type) {
    case FieldType::DateTime:
        return c.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::LargeInt:
    case FieldType::Float:
        return c.toDouble();
    default:
        return c.toString().trimmed();
    }
}

bool same(const QVariant& a, const QVariant& b, FieldType type)
{
    if (isNull(a) || isNull(b))
        return isNull(a) && isNull(b);
    if (type == FieldType::DateTime)
        return coerce(a, type).toDateTime() == coerce(b, type).toDateTime();
    return shown(a, type) == shown(b, type);
}

QString text(const QVariant& v)
{
    return isNull(v) ? QStringLiteral("null") : QStringLiteral("«%1»").arg(v.toString());
}

// A desk's connection, living on a thread of its own as QtSql wants.
class Desk
{
public:
    Desk(const QString& tag, std::function<std::shared_ptr<IAppServer>()> connect) : tag(tag)
    {
        m_thread = std::thread([this, connect] {
            std::shared_ptr<IAppServer> server;
            try {
                server = connect();
            } catch (const ModuleError& e) {
                error = e.message();
            }
            std::unique_lock lock(m_mutex);
            for (;;) {
                m_wake.wait(lock, [this] { return m_job || m_stop; });
                if (!m_job)
                    break;
                lock.unlock();
                if (server)
                    m_job(*server);
                lock.lock();
                m_job = nullptr;
                m_wake.notify_all();
            }
        });
    }
    ~Desk()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    void start(std::function<void(IAppServer&)> job)
    {
        const std::lock_guard lock(m_mutex);
        m_job = std::move(job);
        m_wake.notify_all();
    }
    void finish()
    {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return !m_job; });
    }

    const QString tag; // the user the desk stamps into rows
    Table view;        // what it read last, with its own accepted changes
    QString error;     // why it could not connect

private:
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::function<void(IAppServer&)> m_job;
    bool m_stop = false;
};

struct Change
{
    enum Kind
    {
        Insert,
        Modify,
        Delete,
        Caused,
        Read, // only brings the desk's view up to date
    } kind = Modify;
    int batch = 0;
    Desk* desk = nullptr;
    qint64 key = -1;
    Row original, values; // Caused: the audit columns its statement stamps
    bool accepted = false;
    std::optional<ModuleError> failure;
    bool matched = false; // to its history entry

    QString describe() const
    {
        static const char* const names[] = {"insert", "change", "delete", "caused-value update",
                                            "read"};
        return QStringLiteral("%1's %2 of row %3 in batch %4")
            .arg(desk->tag, QLatin1String(names[kind]))
            .arg(key)
            .arg(batch);
    }
};

void runStatement(IAppServer& server, const QVariantList& statement)
{
    QVariantList args{QVariant(statement), QVariant(), QString()};
    if (server.invoke(QStringLiteral("EjecutarSQL"), args).toInt() != 0)
        throw ModuleError(args[2].toString(), ModuleError::Kind::Server);
}

// What a desk does with a change on its thread: send it, then bring its view up to date.
void carryOut(IAppServer& server, Change& c, bool reread)
{
    try {
        switch (c.kind) {
        case Change::Insert:
            c.key = server.applyUpdates(Provider, {{{DeltaRow::Kind::Insert, -1, {}, c.values}}})
                        .value(0, -1);
            break;
        case Change::Modify:
        case Change::Delete: {
            const auto kind = c.kind == Change::Modify ? DeltaRow::Kind::Modify
                                                       : DeltaRow::Kind::Delete;
            server.applyUpdates(Provider, {{{kind, c.key, c.original, c.values}}});
            break;
        }
        case Change::Read:
            break;
        case Change::Caused:
            runStatement(server, {ActualizacionCausado::actualizacionAnual(false, c.desk->tag),
                                  QDateTime(QDate(2013, 1, 1), QTime()),
                                  QDateTime(QDate(2013, 12, 31), QTime()),
                                  c.values.value(QStringLiteral("ACT_HORA"))});
            runStatement(server, {ActualizacionCausado::limpieza()});
            break;
        }
        c.accepted = true;
    } catch (const ModuleError& e) {
        c.failure = e;
    }
    Table& view = c.desk->view;
    if (!c.accepted || reread || c.kind == Change::Caused || c.kind == Change::Read)
        view = tableOf(readPacket(server));
    else if (c.kind == Change::Delete)
        view.remove(c.key);
    else
        view[c.key].insert(c.values);
}

struct Totals
{
    int runs = 0, accepted = 0, refused = 0, caused = 0, concurrentBatches = 0;
};

} // namespace

class TstConcurrentEdits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void interleavingsTellOneStory_data();
    void interleavingsTellOneStory();

private:
    QString runOnce(quint64 seed, Totals& totals);
    Change plan(Desk& desk, std::mt19937_64& rng, int batch, bool mayInsert, bool mayCause);
    QString replay(QList<Change>& changes, int batches, const Table& initial);
    void reset();

    std::unique_ptr<TestDatabase> m_db;
    std::shared_ptr<IAppServer> m_observer;
    std::deque<Desk> m_desks;
    DataPacket m_start;                // the company's rows every run starts from
    Types m_types;                     // their columns
    QHash<QString, QVariant> m_caused; // a caused value for each concept, account, related code
    int m_stamp = 0;
};

namespace {

QString keysOf(const Row& row)
{
    return QStringList{row.value(QStringLiteral("COD_CONT")).toString(),
                       row.value(QStringLiteral("COD_CUEN")).toString().trimmed(),
                       row.value(QStringLiteral("COD_CCOS")).toString()}
        .join(u'|');
}

} // namespace

void TstConcurrentEdits::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
    // Company 1 alone, so that a caused-value update's row count is that company's.
    m_db->exec(QStringLiteral("DELETE FROM NM_RPCOS WHERE COD_EMPR <> 1"));
    const QString protocol = m_db->protocol();
    const QString server = m_db->server();
    m_observer = AppServerFactory::connect(QStringLiteral("local"), m_db->url());
    m_start = readPacket(*m_observer);
    for (const ColumnInfo& c : m_start.columns)
        m_types.insert(c.name, c.type);
    for (int i = 0; i < 4; ++i) {
        // On the remote run, desks 1 and 3 go through the network server.
        const bool remote = i % 2 == 0 && protocol != QLatin1String("local");
        // The network server runs the caused-value update of its session's user only.
        m_desks.emplace_back(i % 2 == 0 ? QStringLiteral("JPEREZ") : QStringLiteral("DESK%1").arg(i + 1),
                             [remote, protocol, server, url = m_db->url()] {
                                 return AppServerFactory::connect(
                                     remote ? protocol : QStringLiteral("local"),
                                     remote ? server : url,
                                     {QStringLiteral("JPEREZ"), QStringLiteral("Tavrel2026")});
                             });
    }
    for (Desk& d : m_desks) {
        d.start([](IAppServer&) {});
        d.finish();
        QVERIFY2(d.error.isEmpty(), qPrintable(d.error));
    }
    // The caused values the statement gives each row's keys, to replay it with.
    runStatement(*m_observer, {ActualizacionCausado::actualizacionAnual(false, QStringLiteral("X")),
                               QDateTime(QDate(2013, 1, 1), QTime()),
                               QDateTime(QDate(2013, 12, 31), QTime()), QDateTime::currentDateTime()});
    for (const Row& row : tableOf(readPacket(*m_observer)))
        m_caused.insert(keysOf(row), row.value(QStringLiteral("VAL_CAUS")));
}

void TstConcurrentEdits::cleanupTestCase()
{
    m_desks.clear();
    m_observer.reset();
    m_db.reset();
}

// The company's rows as every run starts, with an empty history.
void TstConcurrentEdits::reset()
{
    m_db->exec(QStringLiteral("DELETE FROM NM_RPCOS"));
    Delta inserts;
    for (const QVariantList& values : m_start.rows) {
        DeltaRow row{DeltaRow::Kind::Insert, -1, {}, {}};
        for (int c = 0; c < m_start.columns.size(); ++c)
            row.values.insert(m_start.columns[c].name, values[c]);
        inserts.rows.append(row);
    }
    m_observer->applyUpdates(Provider, inserts);
    m_db->exec(QStringLiteral("DELETE FROM TVL_HISTORIA"));
}

Change TstConcurrentEdits::plan(Desk& desk, std::mt19937_64& rng, int batch, bool mayInsert,
                                bool mayCause)
{
    const auto draw = [&rng](const QVariantList& values) { return values[int(rng() % values.size())]; };
    Change c;
    c.batch = batch;
    c.desk = &desk;
    // Whole seconds, one value per change, so that a stamped change is told apart by it;
    // the caused-value updates of a batch share theirs, so that two by the same user are
    // the same change.
    const auto stamp = [&](const char* mark) {
        c.values.insert(QStringLiteral("ACT_USUA"), desk.tag);
        c.values.insert(QStringLiteral("ACT_HORA"),
                        QDateTime(QDate(2026, 1, 1), QTime()).addSecs(++m_stamp));
        c.values.insert(QStringLiteral("ACT_ESTA"), QLatin1String(mark));
    };
    const int size = int(desk.view.size());
    const int roll = int(rng() % 100);
    if ((roll < 12 || size == 0) && mayInsert) {
        c.kind = Change::Insert;
        stamp("A");
        for (const auto& [column, values] : Editable)
            c.values.insert(column, draw(values));
        c.values.insert(QStringLiteral("VAL_CAUS"), draw({QVariant(), 0.0, 5000.5}));
        c.values.insert(QStringLiteral("COD_EMPR"), 1);
        const QVariantList& keys = m_start.rows[int(rng() % m_start.rows.size())];
        for (const char* column : {"COD_CONT", "COD_CUEN", "COD_CCOS"})
            c.values.insert(QLatin1String(column), keys[m_start.columnIndex(QLatin1String(column))]);
        return c;
    }
    if (roll >= 94 && mayCause) {
        c.kind = Change::Caused;
        stamp("M");
        c.values.insert(QStringLiteral("ACT_HORA"),
                        QDateTime(QDate(2025, 1, 1), QTime()).addSecs(batch));
        return c;
    }
    if (size == 0) {
        c.kind = Change::Read;
        return c;
    }
    c.key = std::next(desk.view.cbegin(), qsizetype(rng() % size)).key();
    c.original = desk.view.value(c.key);
    if (roll >= 80 + (size > 12 ? -15 : 0) || size > 16) {
        c.kind = Change::Delete;
        return c;
    }
    // Most edits come from a window that stamps user, time and mark; some touch a single
    // column, so that two desks change different columns of one row.
    if (rng() % 10 < 7)
        stamp("M");
    for (int n = 1 + int(rng() % 2); n > 0; --n) {
        const auto& [column, values] = Editable[int(rng() % Editable.size())];
        c.values.insert(column, draw(values));
    }
    return c;
}

QString TstConcurrentEdits::runOnce(quint64 seed, Totals& totals)
{
    reset();
    const Table initial = tableOf(readPacket(*m_observer));
    std::mt19937_64 rng(seed);
    for (Desk& d : m_desks)
        d.start([&d](IAppServer& s) { d.view = tableOf(readPacket(s)); });
    for (Desk& d : m_desks)
        d.finish();

    QList<Change> changes;
    const int batches = 4 + int(rng() % 6);
    for (int b = 0; b < batches; ++b) {
        const int sizes[] = {1, 1, 2, 3, 4};
        const int size = std::min(sizes[rng() % 5], int(m_desks.size()));
        std::vector<Desk*> order;
        for (Desk& d : m_desks)
            order.push_back(&d);
        for (int i = int(order.size()) - 1; i > 0; --i)
            std::swap(order[i], order[rng() % (i + 1)]);
        // An insert and a caused-value update never share a batch: the update takes in the
        // rows that were there when it began, which the history cannot tell.
        bool inserts = false, causes = false;
        std::vector<Change> batch;
        batch.reserve(size);
        for (int i = 0; i < size; ++i) {
            batch.push_back(plan(*order[i], rng, b, !causes, !inserts));
            inserts |= batch.back().kind == Change::Insert;
            causes |= batch.back().kind == Change::Caused;
        }
        for (Change& c : batch) {
            const bool reread = rng() % 4 == 0;
            c.desk->start([&c, reread](IAppServer& s) { carryOut(s, c, reread); });
        }
        for (Change& c : batch)
            c.desk->finish();
        totals.concurrentBatches += size > 1;
        for (Change& c : batch) {
            if (c.kind != Change::Read)
                changes.append(c);
        }
    }
    totals.runs++;
    for (const Change& c : changes) {
        totals.accepted += c.accepted;
        totals.refused += !c.accepted;
        totals.caused += c.accepted && c.kind == Change::Caused;
    }
    return replay(changes, batches, initial);
}

namespace {

using Details = QMap<QString, std::pair<QJsonValue, QJsonValue>>;

// The history entry the server writes for a change of one row.
Details detailsOf(const Change& c, const Types& types)
{
    Details d;
    const Row& columns = c.kind == Change::Delete ? c.original : c.values;
    for (auto it = columns.cbegin(); it != columns.cend(); ++it) {
        const FieldType type = types.value(it.key());
        const QJsonValue before = c.kind == Change::Insert ? QJsonValue::Null
                                                            : shown(c.original.value(it.key()), type);
        const QJsonValue after = c.kind == Change::Delete ? QJsonValue::Null : shown(it.value(), type);
        if (c.kind != Change::Modify || before != after)
            d.insert(it.key(), {before, after});
    }
    return d;
}

Details detailsOf(const QString& json)
{
    Details d;
    for (const QJsonValue& v : QJsonDocument::fromJson(json.toUtf8()).array()) {
        const QJsonObject o = v.toObject();
        d.insert(o.value(QLatin1String("columna")).toString(),
                 {o.value(QLatin1String("antes")), o.value(QLatin1String("despues"))});
    }
    return d;
}

// Where the row no longer holds what the change read (the columns it checks), or empty.
QString mismatch(const Change& c, const Table& state, const Types& types)
{
    if (!state.contains(c.key))
        return QStringLiteral("the row is gone");
    const Row& row = state[c.key];
    for (auto it = c.original.cbegin(); it != c.original.cend(); ++it) {
        if ((c.kind == Change::Delete || c.values.contains(it.key())) &&
            !same(it.value(), row.value(it.key()), types.value(it.key())))
            return QStringLiteral("%1 read %2, the table had %3")
                .arg(it.key(), text(it.value()), text(row.value(it.key())));
    }
    return {};
}

int setEmptyCausedToZero(Table& state)
{
    int n = 0;
    for (Row& row : state) {
        if (isNull(row.value(QStringLiteral("VAL_CAUS")))) {
            row.insert(QStringLiteral("VAL_CAUS"), 0.0);
            ++n;
        }
    }
    return n;
}

} // namespace

// Replays the history against the changes that were sent; empty when they tell one story.
QString TstConcurrentEdits::replay(QList<Change>& changes, int batches, const Table& initial)
{
    int caused = 0;
    for (const Change& c : changes) {
        caused += c.accepted && c.kind == Change::Caused;
        if (c.failure && (c.failure->kind() != ModuleError::Kind::Conflict ||
                          !c.failure->message().contains(ConflictText) ||
                          c.kind == Change::Insert || c.kind == Change::Caused))
            return c.describe() + QStringLiteral(" failed: ") + c.failure->message();
    }
    Table state = initial;
    // A refusal is right when, at some moment of its batch, the row did not hold what the
    // desk had read.
    int batch = 0;
    QSet<const Change*> stale;
    const auto noteStale = [&] {
        for (const Change& c : changes) {
            if (c.batch == batch && !c.accepted && !mismatch(c, state, m_types).isEmpty())
                stale.insert(&c);
        }
    };
    const auto closeBatchesBefore = [&](int next) -> QString {
        for (; batch < next; noteStale()) {
            for (const Change& c : changes) {
                if (c.batch == batch && !c.accepted && !stale.contains(&c))
                    return c.describe() + QStringLiteral(" was refused, yet the row never "
                                                         "changed while it ran");
            }
            ++batch;
        }
        return {};
    };
    noteStale();

    static const QRegularExpression auditUser(QStringLiteral("ACT_USUA = '([^']*)'"));
    const QString cleanUp = ActualizacionCausado::limpieza().trimmed();
    int cleanUps = 0;
    const QString ops = QStringLiteral("AMB");
    const QList<QVariantList> history = m_db->queryRows(
        QStringLiteral("SELECT TVL_ROWID, OPE_HIST, LLA_HIST, FIL_HIST, DET_HIST FROM TVL_HISTORIA "
                       "ORDER BY TVL_ROWID"));
    for (const QVariantList& entry : history) {
        const QString where = QStringLiteral("history entry %1 (%2 %3): ")
                                  .arg(entry[0].toString(), entry[1].toString(), entry[4].toString());
        const int rows = entry[3].toInt();
        const QJsonObject statement =
            QJsonDocument::fromJson(entry[4].toString().toUtf8()).object();
        const QString sql = statement.value(QLatin1String("sentencia")).toString();
        const bool isCleanUp = isNull(entry[2]) && sql.compare(cleanUp, Qt::CaseInsensitive) == 0;
        Change* change = nullptr;
        if (!isCleanUp) {
            const QString user = auditUser.match(sql).captured(1);
            const Details details = detailsOf(entry[4].toString());
            for (Change& c : changes) {
                if (!c.accepted || c.matched)
                    continue;
                if (isNull(entry[2]) ? c.kind == Change::Caused && c.desk->tag == user
                                     : c.kind != Change::Caused && c.key == entry[2].toLongLong() &&
                                           ops.mid(c.kind, 1) == entry[1].toString().trimmed() &&
                                           detailsOf(c, m_types) == details) {
                    change = &c;
                    break;
                }
            }
            if (!change)
                return where + QStringLiteral("no accepted change writes this");
            change->matched = true;
            if (change->batch < batch)
                return where + QStringLiteral("written after entries of a later batch");
            if (const QString e = closeBatchesBefore(change->batch); !e.isEmpty())
                return e;
        }

        if (isCleanUp || statement.contains(QLatin1String("vacios_a_cero"))) {
            ++cleanUps;
        }
        if (change && change->kind == Change::Caused) {
            if (rows != state.size())
                return where + QStringLiteral("the update rewrote %1 of %2 rows")
                                   .arg(rows)
                                   .arg(state.size());
            for (Row& row : state) {
                row.insert(QStringLiteral("VAL_CAUS"), m_caused.value(keysOf(row)));
                row.insert(change->values);
            }
        } else if (change) {
            const QString wrong = change->kind != Change::Insert ? mismatch(*change, state, m_types)
                                  : state.contains(change->key) ? QStringLiteral("the row existed")
                                                                : QString();
            if (!wrong.isEmpty())
                return change->describe() + QStringLiteral(" was accepted, but ") + wrong;
            if (change->kind == Change::Delete)
                state.remove(change->key);
            else
                state[change->key].insert(change->values);
        }
        const int emptied = isCleanUp ? rows : statement.value(QLatin1String("vacios_a_cero")).toInt(-1);
        if (emptied >= 0 && setEmptyCausedToZero(state) != emptied)
            return where + QStringLiteral("the clean-up's row count is not that of the empty "
                                          "caused values");
        noteStale();
    }
    if (const QString e = closeBatchesBefore(batches); !e.isEmpty())
        return e;
    for (const Change& c : changes) {
        if (c.accepted && !c.matched)
            return c.describe() + QStringLiteral(" was accepted but has no history entry");
    }
    if (cleanUps != caused)
        return QStringLiteral("%1 caused-value updates and %2 clean-ups in the history")
            .arg(caused)
            .arg(cleanUps);

    const Table final = tableOf(readPacket(*m_observer));
    const auto keys = [](const Table& t) {
        QStringList k;
        for (qint64 key : t.keys())
            k << QString::number(key);
        return k.join(u',');
    };
    if (final.keys() != state.keys())
        return QStringLiteral("the table has rows %1, the accepted changes give %2")
            .arg(keys(final), keys(state));
    for (auto it = state.cbegin(); it != state.cend(); ++it) {
        for (auto col = it->cbegin(); col != it->cend(); ++col) {
            const QVariant stored = final[it.key()].value(col.key());
            if (!same(stored, col.value(), m_types.value(col.key())))
                return QStringLiteral("row %1 %2: the table has %3, the accepted changes give %4")
                    .arg(it.key())
                    .arg(col.key(), text(stored), text(col.value()));
        }
    }
    return {};
}

void TstConcurrentEdits::interleavingsTellOneStory_data()
{
    QTest::addColumn<quint64>("seed");
    QTest::addColumn<int>("runs");
    const int runs = qEnvironmentVariableIntValue("TAVREL_RACE_RUNS");
    bool seeded = false;
    const quint64 seed = qEnvironmentVariable("TAVREL_RACE_SEED").toULongLong(&seeded);
    QTest::newRow("random interleavings") << (seeded ? seed : quint64(20261207)) << (runs > 0 ? runs : 150);
}

void TstConcurrentEdits::interleavingsTellOneStory()
{
    QFETCH(quint64, seed);
    QFETCH(int, runs);
    Totals totals;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < runs; ++i) {
        const QString failure = runOnce(seed + quint64(i), totals);
        if (!failure.isEmpty())
            QFAIL(qPrintable(QStringLiteral("seed %1: %2 (again: TAVREL_RACE_RUNS=1 TAVREL_RACE_SEED=%1)")
                                 .arg(seed + quint64(i))
                                 .arg(failure)));
    }
    qInfo("%d runs, seeds %llu-%llu, %d batches of several desks: %d changes accepted, %d refused, "
          "%d caused-value updates, 0 lost, in %.1f s",
          totals.runs, seed, seed + quint64(runs) - 1, totals.concurrentBatches, totals.accepted,
          totals.refused, totals.caused, double(clock.elapsed()) / 1000.0);
}

QTEST_GUILESS_MAIN(TstConcurrentEdits)
#include "tst_concurrentedits.moc"
