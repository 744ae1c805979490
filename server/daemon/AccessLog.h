#pragma once

#include <QString>
#include <memory>

namespace tavrel {

// One line per request, written whole even when workers finish together:
//   2026-12-06T10:15:02.118 MGOMEZ open DtsPTemporal rows=13 ms=4 status=200
// A password or a token never reaches it: callers pass only the user, the call, its
// target (a provider or a method) and counts. What a desk sent may be in any field, so
// each is escaped: a backslash, a control or other unprintable character becomes
// \x{hex}, and so does a space in the user and the call; an empty field is "-".
class AccessLog
{
public:
    // An empty path writes to standard error. Throws ModuleError when the file cannot
    // be opened for appending.
    explicit AccessLog(const QString& path);
    ~AccessLog();

    // Opens the file again, e.g. after logrotate moved it away; standard error stays.
    // Keeps writing to the old file and throws ModuleError when the file cannot be opened.
    void reopen();

    void write(const QString& user, const QString& call, const QString& target, int rows,
               qint64 milliseconds, int status);

    // `text` as written in a line; `spaces` keeps its spaces.
    static QString field(const QString& text, bool spaces);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel
