// bench_remote_load: many desks on one network server, and one desk in-process against
// the same desk through the server.

#include "Database.h"
#include "DemoData.h"
#include "ModuleError.h"
#include "RemoteLoadBench.h"
#include "SchemaInstaller.h"

#include <QCoreApplication>
#include <QUrl>
#include <cstdio>

using namespace tavrel;

namespace {

// A fresh demo database next to the administrative URL's own.
QString freshDatabase(const QString& adminUrl)
{
    const QString name = QStringLiteral("tavrel_bench_remote");
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
    return url.toString();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
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
        bench::RemoteLoadBench bench(freshDatabase(admin));
        const bench::RemoteLoadBench::Result r = bench.run(clients, calls);
        const int total = r.clients * r.calls;
        std::printf("%d clients x %d calls: %d calls in %.1f s, %.0f calls/s\n", r.clients, r.calls,
                    total, r.seconds, total / r.seconds);
        std::printf("latency p50 %.2f ms, p99 %.2f ms\n", r.p50, r.p99);
        std::printf("errors %d, lost updates %d, refused conflicts %d\n", r.errors, r.lostUpdates,
                    r.conflicts);
        if (!r.firstError.isEmpty())
            std::printf("first error: %s\n", qPrintable(r.firstError));
        std::printf("%-28s %9s %9s %7s\n", "one desk", "in-proc", "remote", "ratio");
        std::printf("%-28s %8.2fms %8.2fms %7.2f\n", "open the relation window", r.openLocal * 1e3,
                    r.openRemote * 1e3, r.openRemote / r.openLocal);
        std::printf("%-28s %8.2fms %8.2fms %7.2f\n", "caused-value update", r.causedLocal * 1e3,
                    r.causedRemote * 1e3, r.causedRemote / r.causedLocal);
        return r.errors == 0 && r.lostUpdates == 0 ? 0 : 1;
    } catch (const ModuleError& e) {
        std::fprintf(stderr, "bench_remote_load: %s\n", e.what());
        return 1;
    }
}
