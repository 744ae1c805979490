#pragma once

#include <QString>

namespace tavrel::bench {

// The benchmark's databases: the fixed demo plus `scale` generated relation rows with
// about 50 movements each. Generated once and kept, keyed by scale.
class BenchDatabase
{
public:
    // A SQLite file in `dir`, named after the scale. A file is only ever complete: it is
    // generated under a temporary name and renamed at the end.
    static QString sqlite(const QString& dir, int scale, bool regenerate);

    // The database tavrel_bench on the server of the administrative URL. Its comment
    // records the scale once generation has finished; any other comment (or none) makes
    // it be dropped and generated again.
    static QString postgres(const QString& adminUrl, int scale, bool regenerate);
};

} // namespace tavrel::bench
