#pragma once

#include <QString>
#include <QStringList>

namespace tavrel::bench {

// Command line of bench_causado.
struct BenchOptions
{
    int scale = 10000; // relation rows; about 50 movements each
    int runs = 3;      // the median of this many runs is reported
    QString dataDir;   // where the SQLite databases are kept between runs
    bool sqlite = true;
    bool postgres = true; // only when TAVREL_TEST_PG names a server
    bool regenerate = false;

    // Exits with a usage message on bad arguments.
    static BenchOptions parse(const QStringList& arguments);
};

} // namespace tavrel::bench
