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
    const auto line = [engine](const char* what, double seconds, double floor,
                               const QString& note) {
        std::printf("%-11s %-13s %9.3f %9.3f %7.2f  %s\n", engine, what, seconds, floor,
                    seconds / floor, qPrintable(note));
    };
    line("yearly path", r.yearly, r.yearlyFloor(),
         QStringLiteral("floor: grouped sum of 2013 (%1 groups) %2 s + rewrite %3 s")
             .arg(r.yearlyGroups)
             .arg(r.yearlySum(), 0, 'f', 3)
             .arg(r.rewrite, 0, 'f', 3));
    line("date path", r.date, r.dateFloor(),
         QStringLiteral("floor: grouped sum of its one date (%1 groups) %2 s + rewrite %3 s")
             .arg(r.dateGroups)
             .arg(r.dateSum, 0, 'f', 3)
             .arg(r.rewrite, 0, 'f', 3));
    std::printf("%-11s %-13s %9s %9s %7s  sum plans: planner's %.3f s, index order %.3f s; "
                "%lld relation rows\n",
                engine, "", "", "", "", r.plannerSum, r.indexSum, r.relationRows);
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

        std::printf("caused-value update, scale %d, median of %d runs; floor: the grouped sum "
                    "of the path's movements plus one rewrite of every relation row\n",
                    options.scale, options.runs);
        std::printf("%-11s %-13s %9s %9s %7s\n", "engine", "path", "seconds", "floor", "ratio");
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
