#pragma once

#include <QString>

#include <functional>

namespace tavrel {
class Database;
}

namespace tavrel::bench {

// Generated benchmark databases, kept between runs because generating them takes longer
// than measuring.
class BenchData
{
public:
    // The SQLite file `name` in `dir`, made by `fill` on a database that already holds the
    // schema and the fixed demo. A file is only ever complete: it is filled under a
    // temporary name and renamed at the end, so an interrupted run leaves nothing to reuse.
    static QString sqliteFile(const QString& dir, const QString& name, bool regenerate,
                              const std::function<void(Database&)>& fill);
};

} // namespace tavrel::bench
