#include "RemoteLoadBench.h"

#include "CausedRun.h"
#include "DaemonOptions.h"
#include "Database.h"
#include "DelayingRelay.h"
#include "DeskCalls.h"
#include "HttpDaemon.h"
#include "LocalAppServer.h"
#include "ModuleError.h"
#include "ModuleWindow.h"
#include "NetworkAccess.h"
#include "RemoteAppServer.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace tavrel::bench {

namespace {

double seconds(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

// The median seconds of each work, run in turns so that a burst of load on a shared
// machine falls on all alike. An empty work is not run and takes 0.
std::vector<double> mediansInTurns(int times, const std::vector<std::function<void()>>& works)
{
    std::vector<std::vector<double>> taken(works.size());
    for (int i = 0; i < times; ++i) {
        for (size_t w = 0; w < works.size(); ++w)
            taken[w].push_back(works[w] ? seconds(works[w]) : 0.0);
    }
    std::vector<double> medians;
    for (std::vector<double>& v : taken) {
        std::nth_element(v.begin(), v.begin() + qsizetype(v.size() / 2), v.end());
        medians.push_back(v[v.size() / 2]);
    }
    return medians;
}

double percentile(std::vector<double>& values, double p)
{
    if (values.empty())
        return 0;
    const size_t at = std::min(values.size() - 1, size_t(p * double(values.size())));
    std::nth_element(values.begin(), values.begin() + qsizetype(at), values.end());
    return values[at];
}

} // namespace

struct RemoteLoadBench::Private
{
    QString owner;
    NetworkAccess::Logins logins;
    std::unique_ptr<HttpDaemon> daemon;
    std::thread serving;
    QString address;
    QTemporaryDir logDir;
};

RemoteLoadBench::RemoteLoadBench(const QString& ownerUrl) : d(std::make_unique<Private>())
{
    d->owner = ownerUrl;
    d->logins = NetworkAccess::install(*Database::open(ownerUrl));
    DaemonOptions options;
    options.database = d->logins.server;
    options.reader = d->logins.reader;
    options.port = 0;
    options.workers = 16;
    // Every simulated desk comes from 127.0.0.1.
    options.maxPerAddress = 256;
    options.accessLog = d->logDir.filePath(QStringLiteral("access.log"));
    d->daemon = std::make_unique<HttpDaemon>(options);
    d->address = QStringLiteral("127.0.0.1:%1").arg(d->daemon->bind());
    d->serving = std::thread([this] { d->daemon->run(); });
}

RemoteLoadBench::~RemoteLoadBench()
{
    d->daemon->stop();
    d->serving.join();
}

RemoteLoadBench::Result RemoteLoadBench::run(int clients, int calls)
{
    Result r;
    r.clients = clients;
    r.calls = calls;
    const auto login = [this] {
        return RemoteAppServer::login(QStringLiteral("http"), d->address, QStringLiteral("JPEREZ"),
                                      QStringLiteral("Tavrel2026"));
    };

    // Each client edits one row of its company, adding 1 to VAL_TOTA per accepted edit;
    // at the end every row's total must be its start plus the edits accepted on it.
    const auto local = LocalAppServer::connect(d->owner);
    const auto totals = [&] {
        QHash<qint64, double> t;
        for (int c = 1; c <= 3; ++c) {
            const DataPacket p = DeskCalls::relation(*local, c);
            for (int i = 0; i < p.rows.size(); ++i)
                t[p.rowKeys[i]] = p.rows[i][p.columnIndex(QStringLiteral("VAL_TOTA"))].toDouble();
        }
        return t;
    };
    const QHash<qint64, double> start = totals();
    std::mutex mutex;
    QHash<qint64, int> accepted;
    std::vector<double> latencies;
    std::atomic<int> errors{0}, conflicts{0};

    QElapsedTimer wall;
    wall.start();
    std::vector<std::thread> threads;
    for (int client = 0; client < clients; ++client) {
        threads.emplace_back([&, client] {
            std::vector<double> mine;
            QHash<qint64, int> edits;
            try {
                const auto remote = login();
                const int code = 1 + client % 3;
                for (int call = 0; call < calls; ++call) {
                    QElapsedTimer t;
                    t.start();
                    try {
                        if (call % 100 == 99) {
                            DeskCalls::causedUpdate(*remote, QStringLiteral("JPEREZ"));
                        } else if (call % 10 == 8) {
                            QVariantList none;
                            remote->invoke(QStringLiteral("BuscarFechaServidor"), none);
                        } else if (call % 10 >= 6) {
                            const DataPacket p = DeskCalls::relation(*remote, code);
                            const int row = client % int(p.rows.size());
                            DeskCalls::addToTotal(*remote, p, row);
                            ++edits[p.rowKeys[row]];
                        } else {
                            DeskCalls::relation(*remote, code);
                        }
                    } catch (const ModuleError& e) {
                        if (e.kind() == ModuleError::Kind::Conflict) {
                            ++conflicts;
                        } else {
                            ++errors;
                            const std::lock_guard lock(mutex);
                            if (r.firstError.isEmpty())
                                r.firstError = e.message();
                        }
                    }
                    mine.push_back(double(t.nsecsElapsed()) / 1e6);
                }
            } catch (const ModuleError& e) {
                errors += calls;
                const std::lock_guard lock(mutex);
                r.firstError = e.message();
            }
            const std::lock_guard lock(mutex);
            latencies.insert(latencies.end(), mine.begin(), mine.end());
            for (auto it = edits.cbegin(); it != edits.cend(); ++it)
                accepted[it.key()] += it.value();
        });
    }
    for (std::thread& t : threads)
        t.join();
    r.seconds = double(wall.nsecsElapsed()) / 1e9;
    r.errors = errors;
    r.conflicts = conflicts;
    const QHash<qint64, double> end = totals();
    for (auto it = start.cbegin(); it != start.cend(); ++it) {
        if (qAbs(end.value(it.key()) - it.value() - accepted.value(it.key())) > 1e-6)
            ++r.lostUpdates;
    }
    r.p50 = percentile(latencies, 0.50);
    r.p99 = percentile(latencies, 0.99);

    return r;
}

RemoteLoadBench::Desk RemoteLoadBench::desk(int company, std::chrono::milliseconds roundTrip)
{
    Desk r;
    const QString user = QStringLiteral("JPEREZ"), password = QStringLiteral("Tavrel2026");
    const bool far = roundTrip.count() >= 0;
    std::unique_ptr<DelayingRelay> relay;
    if (far)
        relay = std::make_unique<DelayingRelay>(d->address.section(QLatin1Char(':'), 1).toInt(),
                                                roundTrip);
    const QString farAddress = far ? QStringLiteral("127.0.0.1:%1").arg(relay->port()) : QString();
    // A long distance makes every run long: fewer of them.
    const auto times = [&](int near) {
        return roundTrip.count() > 20 ? std::max(3, near / 3) : near;
    };
    const auto timed = [&](int near, std::function<void()> local, std::function<void()> remote,
                           std::function<void()> distant) {
        return mediansInTurns(times(near), {std::move(local), std::move(remote),
                                            far ? std::move(distant) : std::function<void()>()});
    };

    ModuleWindow window;
    const ModuleWindow::Login inProcess{QStringLiteral("local"), d->owner, user, password, company};
    const ModuleWindow::Login throughServer{QStringLiteral("http"), d->address, user, password,
                                            company};
    const ModuleWindow::Login fromAfar{QStringLiteral("http"), farAddress, user, password, company};
    auto m = timed(
        15, [&] { window.open(inProcess); }, [&] { window.open(throughServer); },
        [&] { window.open(fromAfar); });
    r.windowLocal = m[0], r.windowRemote = m[1], r.windowFar = m[2];

    std::shared_ptr<IAppServer> local = LocalAppServer::connect(d->owner);
    std::shared_ptr<IAppServer> remote =
        RemoteAppServer::login(QStringLiteral("http"), d->address, user, password);
    std::shared_ptr<IAppServer> distant =
        far ? std::shared_ptr<IAppServer>(
                  RemoteAppServer::login(QStringLiteral("http"), farAddress, user, password))
            : remote;
    m = timed(
        41, [&] { DeskCalls::openWindow(*local); }, [&] { DeskCalls::openWindow(*remote); },
        [&] { DeskCalls::openWindow(*distant); });
    r.openLocal = m[0], r.openRemote = m[1], r.openFar = m[2];
    r.rows = int(DeskCalls::relation(*local, company).rows.size());
    m = timed(
        15, [&] { DeskCalls::relation(*local, company); },
        [&] { DeskCalls::relation(*remote, company); },
        [&] { DeskCalls::relation(*distant, company); });
    r.rowsLocal = m[0], r.rowsRemote = m[1], r.rowsFar = m[2];
    CausedRun localRun(local, user), remoteRun(remote, user), distantRun(distant, user);
    m = timed(
        9, [&] { localRun.run(); }, [&] { remoteRun.run(); }, [&] { distantRun.run(); });
    r.causedLocal = m[0], r.causedRemote = m[1], r.causedFar = m[2];
    return r;
}

} // namespace tavrel::bench
