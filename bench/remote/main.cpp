// bench_remote_load: many desks on one network server, and one desk in-process against
// the same desk through the server (with --scale N, also on a database of N generated
// relation rows). With --soak SECONDS instead: desks that come and go for that long while
// the server process's memory is watched. With --rtt MS instead of the many desks: the one
// desk also through a relay that puts MS of round trip between it and the server, and how
// many round trips each action costs.

#include "BenchProcess.h"
#include "Database.h"
#include "DemoData.h"
#include "LocalZone.h"
#include "ModuleError.h"
#include "RemoteLoadBench.h"
#include "RemoteSoak.h"
#include "SchemaInstaller.h"

#include <QApplication>
#include <QUrl>
#include <cstdio>

using namespace tavrel;

namespace {

// A fresh demo database next to the administrative URL's own.
QString freshDatabase(const QString& adminUrl, const QString& name, int scale = 0)
{
    {
        const auto admin = Database::open(adminUrl);
        admin->exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
        admin->exec(QStringLiteral("CREATE DATABASE %1").arg(name));
    }
    QUrl url(adminUrl);
    url.setPath(QLatin1Char('/') + name);
    const auto db = Database::open(url.toString());
    SchemaInstaller::install(*db);
    DemoData::create(*db);
    if (scale > 0) {
        std::fprintf(stderr, "Generating %d relation rows with 50 movements each...\n", scale);
        DemoData::generate(*db, scale);
    }
    return url.toString();
}

// With a round trip: each action on loopback and at that distance; the difference over
// the round trip is the number of round trips the action waits for.
void printDistantDesk(const bench::RemoteLoadBench::Desk& r, const char* title, int roundTrip)
{
    const auto line = [&](const char* what, double local, double remote, double far) {
        const double trips = roundTrip > 0 ? (far - remote) * 1e3 / roundTrip : 0;
        std::printf("%-34s %9.2fms %9.2fms %7.2f %10.2fms %8.1f\n", what, local * 1e3, remote * 1e3,
                    remote / local, far * 1e3, trips);
    };
    std::printf("%-34s %11s %11s %7s %12s %8s\n", title, "in-proc", "loopback", "ratio",
                qPrintable(QStringLiteral("rtt %1 ms").arg(roundTrip)), "trips");
    line("open the relation window", r.windowLocal, r.windowRemote, r.windowFar);
    line("  its relation and 4 lists alone", r.openLocal, r.openRemote, r.openFar);
    line(qPrintable(QStringLiteral("  its %1 relation rows alone").arg(r.rows)), r.rowsLocal,
         r.rowsRemote, r.rowsFar);
    line("caused-value update", r.causedLocal, r.causedRemote, r.causedFar);
}

void printDesk(const bench::RemoteLoadBench::Desk& r, const char* title)
{
    const auto line = [](const char* what, double local, double remote) {
        std::printf("%-34s %9.2fms %9.2fms %7.2f\n", what, local * 1e3, remote * 1e3,
                    remote / local);
    };
    std::printf("%-34s %11s %11s %7s\n", title, "in-proc", "remote", "ratio");
    line("open the relation window", r.windowLocal, r.windowRemote);
    line("  its relation and 4 lists alone", r.openLocal, r.openRemote);
    line(qPrintable(QStringLiteral("  its %1 relation rows alone").arg(r.rows)), r.rowsLocal,
         r.rowsRemote);
    line("caused-value update", r.causedLocal, r.causedRemote);
}

int soak(const QString& ownerUrl, const bench::RemoteSoak::Options& options)
{
    const auto mib = [](qint64 kb) { return double(kb) / 1024.0; };
    bench::RemoteSoak soak(ownerUrl, QCoreApplication::applicationDirPath() +
                                         QStringLiteral("/tavrel-server"));
    std::printf("%d desks for %d s; the server sampled every %d s, baseline after %d s\n",
                options.clients, options.seconds, options.sampleSeconds, options.warmUpSeconds);
    const bench::RemoteSoak::Result r = soak.run(options, [&](const auto& s) {
        std::printf("%6.0f s  %9lld calls  RSS %7.1f MiB  %3d threads  %4d files\n", s.at, s.calls,
                    mib(s.rssKb), s.threads, s.files);
        std::fflush(stdout);
    });
    const double growth =
        r.warm.rssKb > 0 ? 100.0 * double(r.end.rssKb - r.warm.rssKb) / double(r.warm.rssKb) : 0;
    std::printf("calls %lld (%.0f/s), sessions %lld (%lld dropped without logout), errors %lld, "
                "refused conflicts %lld\n",
                r.calls, double(r.calls) / std::max(1.0, r.end.at), r.sessions, r.dropped, r.errors,
                r.conflicts);
    if (!r.firstError.isEmpty())
        std::printf("first error: %s\n", qPrintable(r.firstError));
    std::printf("RSS after warm-up %.1f MiB (%.0f s), at the end %.1f MiB (%.0f s): %+.1f%%, "
                "peak %.1f MiB\n",
                mib(r.warm.rssKb), r.warm.at, mib(r.end.rssKb), r.end.at, growth, mib(r.peakRssKb));
    std::printf(
        "threads %d -> %d, open files %d -> %d; server exit %d%s%s\n", r.warm.threads,
        r.end.threads, r.warm.files, r.end.files, r.serverExit,
        r.serverErrors.isEmpty() ? "" : ", it wrote: ", qPrintable(r.serverErrors.left(300)));
    return r.errors == 0 && growth <= 10.0 && r.serverExit == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    LocalZone::pin(); // as the host and the server do
    bench::BenchProcess::offscreenWithoutDisplay();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const char* name, int fallback) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < args.size() ? args[at + 1].toInt() : fallback;
    };
    const int clients = option("--clients", 50);
    const int calls = option("--calls", 1000);
    const QString admin = qEnvironmentVariable("TAVREL_TEST_PG");
    if (admin.isEmpty()) {
        std::fprintf(stderr, "bench_remote_load: set TAVREL_TEST_PG (scripts/start-postgres)\n");
        return 2;
    }
    try {
        if (const int seconds = option("--soak", 0); seconds > 0) {
            bench::RemoteSoak::Options o;
            o.clients = clients;
            o.seconds = seconds;
            o.sampleSeconds = option("--sample", 5);
            o.warmUpSeconds = option("--warm-up", std::min(60, seconds / 4));
            return soak(freshDatabase(admin, QStringLiteral("tavrel_bench_soak")), o);
        }
        bench::RemoteLoadBench bench(freshDatabase(admin, QStringLiteral("tavrel_bench_remote")));
        if (const int roundTrip = option("--rtt", -1); roundTrip >= 0) {
            const std::chrono::milliseconds rtt(roundTrip);
            printDistantDesk(bench.desk(1, rtt), "one desk, demo data (company 1)", roundTrip);
            if (const int scale = option("--scale", 0); scale > 0) {
                bench::RemoteLoadBench big(
                    freshDatabase(admin, QStringLiteral("tavrel_bench_remote_big"), scale));
                std::fflush(stdout);
                const bench::RemoteLoadBench::Desk desk = big.desk(11, rtt);
                printDistantDesk(
                    desk, qPrintable(QStringLiteral("one desk, company 11 of %1 rows").arg(scale)),
                    roundTrip);
            }
            return 0;
        }
        const bench::RemoteLoadBench::Result r = bench.run(clients, calls);
        const int total = r.clients * r.calls;
        std::printf("%d clients x %d calls: %d calls in %.1f s, %.0f calls/s\n", r.clients, r.calls,
                    total, r.seconds, total / r.seconds);
        std::printf("latency p50 %.2f ms, p99 %.2f ms\n", r.p50, r.p99);
        std::printf("errors %d, lost updates %d, refused conflicts %d\n", r.errors, r.lostUpdates,
                    r.conflicts);
        if (!r.firstError.isEmpty())
            std::printf("first error: %s\n", qPrintable(r.firstError));
        printDesk(bench.desk(1), "one desk, demo data (company 1)");
        // The same desk where the update has a big entity's work to do.
        if (const int scale = option("--scale", 0); scale > 0) {
            bench::RemoteLoadBench big(
                freshDatabase(admin, QStringLiteral("tavrel_bench_remote_big"), scale));
            std::fflush(stdout);
            printDesk(big.desk(11),
                      qPrintable(QStringLiteral("one desk, %1 rows (company 11)").arg(scale)));
        }
        return r.errors == 0 && r.lostUpdates == 0 ? 0 : 1;
    } catch (const ModuleError& e) {
        std::fprintf(stderr, "bench_remote_load: %s\n", e.what());
        return 1;
    }
}
