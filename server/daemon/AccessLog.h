#pragma once

#include <QString>
#include <memory>

namespace tavrel {

// One line per request, written whole even when workers finish together:
//   2026-12-06T10:15:02.118 MGOMEZ open DtsPTemporal rows=13 ms=4 status=200
// A password or a token never reaches it: callers pass only the user, the call, its
// target (a provider or a method) and counts.
class AccessLog
{
public:
    // An empty path writes to standard error. Throws ModuleError when the file cannot
    // be opened for appending.
    explicit AccessLog(const QString& path);
    ~AccessLog();

    void write(const QString& user, const QString& call, const QString& target, int rows,
               qint64 milliseconds, int status);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel
