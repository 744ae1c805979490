#include "RemoteSoak.h"

#include "Database.h"
#include "DeskCalls.h"
#include "ModuleError.h"
#include "NetworkAccess.h"
#include "RemoteAppServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <httplib.h>

#include <atomic>
#include <mutex>
#include <random>
#include <thread>

namespace tavrel::bench {

namespace {

const QString User = QStringLiteral("JPEREZ");
const QString Password = QStringLiteral("Tavrel2026");

// Resident memory, threads and open files of a process, from /proc.
RemoteSoak::Sample sampleOf(qint64 pid)
{
    RemoteSoak::Sample s;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            const QByteArray value = line.mid(line.indexOf(':') + 1).simplified();
            if (line.startsWith("VmRSS:"))
                s.rssKb = value.split(' ').value(0).toLongLong();
            else if (line.startsWith("Threads:"))
                s.threads = value.toInt();
        }
    }
    s.files = int(QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                      .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                      .size());
    return s;
}

struct Counters
{
    std::atomic<qint64> calls{0}, sessions{0}, dropped{0}, errors{0}, conflicts{0};
    std::mutex mutex;
    QString firstError;

    void fail(const QString& message)
    {
        ++errors;
        const std::lock_guard lock(mutex);
        if (firstError.isEmpty())
            firstError = message;
    }
};

// A desk that logs in, asks one thing, then sends a read whose answer it does not wait
// for, and is gone without logging out.
void dropOut(const QString& address, Counters& counters)
{
    httplib::Client http(address.section(u':', 0, 0).toStdString(),
                         address.section(u':', 1).toInt());
    const auto post = [&](const char* path, const QJsonObject& body,
                          const httplib::Headers& headers = {}) {
        return http.Post(path, headers,
                         QJsonDocument(body).toJson(QJsonDocument::Compact).toStdString(),
                         "application/json");
    };
    auto answer =
        post("/v1/login", {{QStringLiteral("user"), User}, {QStringLiteral("password"), Password}});
    if (!answer || answer->status != 200)
        return counters.fail(
            QStringLiteral("login without logout: HTTP %1").arg(answer ? answer->status : -1));
    ++counters.sessions;
    ++counters.dropped;
    const QByteArray token = QJsonDocument::fromJson(QByteArray::fromStdString(answer->body))
                                 .object()
                                 .value(QStringLiteral("token"))
                                 .toString()
                                 .toUtf8();
    const httplib::Headers auth{{"Authorization", "Bearer " + token.toStdString()}};
    answer = post("/v1/invoke",
                  {{QStringLiteral("method"), QStringLiteral("BuscarFechaServidor")},
                   {QStringLiteral("args"), QJsonArray()}},
                  auth);
    ++counters.calls;
    if (!answer || answer->status != 200)
        return counters.fail(
            QStringLiteral("BuscarFechaServidor: HTTP %1").arg(answer ? answer->status : -1));
    http.set_read_timeout(0, 1000);
    post("/v1/open",
         {{QStringLiteral("provider"), DeskCalls::relationProvider()},
          {QStringLiteral("commandText"),
           QStringLiteral("SELECT * FROM NM_RPCOS WHERE COD_EMPR = :P_COD_EMPR")},
          {QStringLiteral("params"),
           QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("P_COD_EMPR")},
                                  {QStringLiteral("type"), QStringLiteral("smallint")},
                                  {QStringLiteral("value"), 1}}}}},
         auth);
}

// A desk's session: log in, a burst of the window's calls, log out.
void session(const QString& address, std::mt19937& rng, const std::atomic<bool>& stop,
             Counters& counters)
{
    std::unique_ptr<RemoteAppServer> server;
    try {
        server = RemoteAppServer::login(QStringLiteral("http"), address, User, Password);
    } catch (const ModuleError& e) {
        return counters.fail(QStringLiteral("login: ") + e.message());
    }
    ++counters.sessions;
    for (int call = 0, burst = 5 + int(rng() % 36); call < burst && !stop; ++call) {
        const int kind = int(rng() % 100);
        try {
            if (kind < 2) {
                DeskCalls::causedUpdate(*server, User);
                counters.calls += 1;
            } else if (kind < 12) {
                DeskCalls::openWindow(*server);
                counters.calls += 5;
            } else if (kind < 30) {
                const DataPacket rows = DeskCalls::relation(*server, 1 + int(rng() % 3));
                counters.calls += 2;
                DeskCalls::addToTotal(*server, rows, int(rng() % rows.rows.size()));
            } else if (kind < 45) {
                QVariantList none;
                server->invoke(QStringLiteral("BuscarFechaServidor"), none);
                counters.calls += 1;
            } else {
                DeskCalls::relation(*server, 1 + int(rng() % 3));
                counters.calls += 1;
            }
        } catch (const ModuleError& e) {
            if (e.kind() == ModuleError::Kind::Conflict)
                ++counters.conflicts;
            else
                counters.fail(e.message());
        }
    }
    server.reset(); // logs out
}

} // namespace

struct RemoteSoak::Private
{
    QProcess server;
    QTemporaryDir logDir;
    QString address;
};

RemoteSoak::RemoteSoak(const QString& ownerUrl, const QString& serverBinary)
    : d(std::make_unique<Private>())
{
    const NetworkAccess::Logins logins = NetworkAccess::install(*Database::open(ownerUrl));
    // Errors go to a file, so that a full pipe never stops the server.
    d->server.setStandardErrorFile(d->logDir.filePath(QStringLiteral("errors.log")));
    d->server.start(serverBinary,
                    {QStringLiteral("--database"), logins.server, QStringLiteral("--reader"),
                     logins.reader, QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                     QStringLiteral("--workers"), QStringLiteral("16"),
                     // Every simulated desk comes from 127.0.0.1.
                     QStringLiteral("--max-per-address"), QStringLiteral("256"),
                     QStringLiteral("--access-log"),
                     d->logDir.filePath(QStringLiteral("access.log"))});
    static const QRegularExpression listening(QStringLiteral("escuchando en http://(\\S+)"));
    QString out;
    const QDeadlineTimer deadline(30000);
    while (d->address.isEmpty() && !deadline.hasExpired() &&
           d->server.state() != QProcess::NotRunning) {
        d->server.waitForReadyRead(200);
        out += QString::fromUtf8(d->server.readAllStandardOutput());
        d->address = listening.match(out).captured(1);
    }
    if (d->address.isEmpty()) {
        QFile errors(d->logDir.filePath(QStringLiteral("errors.log")));
        errors.open(QIODevice::ReadOnly);
        throw ModuleError(serverBinary + QStringLiteral(" did not start: ") +
                          QString::fromUtf8(errors.readAll()));
    }
}

RemoteSoak::~RemoteSoak()
{
    if (d->server.state() != QProcess::NotRunning) {
        d->server.kill();
        d->server.waitForFinished(5000);
    }
}

RemoteSoak::Result RemoteSoak::run(const Options& options,
                                   const std::function<void(const Sample&)>& progress)
{
    Counters counters;
    std::atomic<bool> stop{false};
    std::vector<std::thread> desks;
    for (int client = 0; client < options.clients; ++client) {
        desks.emplace_back([&, client] {
            std::mt19937 rng(unsigned(client) + 1);
            while (!stop) {
                if (rng() % 4 == 0)
                    dropOut(d->address, counters);
                else
                    session(d->address, rng, stop, counters);
            }
        });
    }

    Result r;
    const qint64 pid = d->server.processId();
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const qint64 next = qint64(r.samples.size() + 1) * options.sampleSeconds * 1000;
        if (next > qint64(options.seconds) * 1000)
            break;
        QThread::msleep(quint64(std::max<qint64>(0, next - clock.elapsed())));
        Sample s = sampleOf(pid);
        s.at = double(clock.elapsed()) / 1000.0;
        s.calls = counters.calls;
        r.samples.append(s);
        if (s.at >= options.warmUpSeconds) {
            if (r.warm.rssKb == 0)
                r.warm = s;
            r.peakRssKb = std::max(r.peakRssKb, s.rssKb);
        }
        if (progress)
            progress(s);
    }
    stop = true;
    for (std::thread& t : desks)
        t.join();
    r.end = r.samples.isEmpty() ? Sample() : r.samples.last();

    d->server.terminate();
    if (!d->server.waitForFinished(30000))
        d->server.kill();
    r.serverExit = d->server.exitStatus() == QProcess::NormalExit ? d->server.exitCode() : -1;
    QFile errors(d->logDir.filePath(QStringLiteral("errors.log")));
    if (errors.open(QIODevice::ReadOnly))
        r.serverErrors = QString::fromUtf8(errors.readAll()).trimmed();
    r.calls = counters.calls;
    r.sessions = counters.sessions;
    r.dropped = counters.dropped;
    r.errors = counters.errors;
    r.conflicts = counters.conflicts;
    r.firstError = counters.firstError;
    return r;
}

} // namespace tavrel::bench
