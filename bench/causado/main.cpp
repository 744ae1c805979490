// bench_causado: the caused-value update on generated data, against its floor.

#include "BenchDatabase.h"
#include "BenchOptions.h"
#include "CausadoBench.h"
#include "ModuleError.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void report(const char* engine, const tavrel::bench::CausadoBench::Result& r)
{
    const double floor = r.floor();
    const auto line = [engine, floor](const char* what, double seconds, const QString& note) {
        std::printf("%-11s %-12s %9.3f %7.2f%s\n", engine, what, seconds, seconds / floor,
                    note.isEmpty() ? "" : qPrintable(QStringLiteral("  ") + note));
    };
    line("floor", floor,
         QStringLiteral("grouped sum of 2013, %1 groups; planner's plan %2 s, index order %3 s")
             .arg(r.floorGroups)
             .arg(r.plannerFloor, 0, 'f', 3)
             .arg(r.indexFloor, 0, 'f', 3));
    line("yearly path", r.yearly, QString());
    line("date path", r.date,
         QStringLiteral("%1 x the grouped sum of its one date (%2 s, %3 groups)")
             .arg(r.dateFloor > 0 ? r.date / r.dateFloor : 0.0, 0, 'f', 2)
             .arg(r.dateFloor, 0, 'f', 3)
             .arg(r.dateGroups));
    std::fflush(stdout);
}

void runOn(const char* engine, const QString& database, int runs)
{
    tavrel::bench::CausadoBench bench(database);
    report(engine, bench.run(runs));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    using namespace tavrel::bench;
    const BenchOptions options = BenchOptions::parse(app.arguments());
    const QString adminUrl = qEnvironmentVariable("TAVREL_TEST_PG").trimmed();
    try {
        // Generation first, so that its messages do not split the table.
        QString sqliteFile, postgresUrl;
        if (options.sqlite)
            sqliteFile = BenchDatabase::sqlite(options.dataDir, options.scale, options.regenerate);
        if (options.postgres && !adminUrl.isEmpty())
            postgresUrl = BenchDatabase::postgres(adminUrl, options.scale, options.regenerate);

        std::printf("caused-value update, %d relation rows, median of %d runs; ratio to the "
                    "floor, a grouped sum over the same movements\n",
                    options.scale, options.runs);
        std::printf("%-11s %-12s %9s %7s\n", "engine", "measurement", "seconds", "ratio");
        if (!sqliteFile.isEmpty())
            runOn("SQLite", sqliteFile, options.runs);
        if (!postgresUrl.isEmpty())
            runOn("PostgreSQL", postgresUrl, options.runs);
        else if (options.postgres)
            std::printf("PostgreSQL  skipped: TAVREL_TEST_PG is not set\n");
    } catch (const tavrel::ModuleError& e) {
        std::fprintf(stderr, "bench_causado: %s\n", e.what());
        return 1;
    }
    return 0;
}
