#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What every fuzz target shares: the input as text, and the failure of a property,
// which prints what was expected and aborts so that the fuzzer keeps the input.

namespace fuzz {

// The input read as UTF-8; malformed sequences become replacement characters.
inline QString textOf(const uint8_t* data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

[[noreturn]] inline void fail(const char* file, int line, const char* condition, const QString& detail)
{
    std::fprintf(stderr, "%s:%d: property violated: %s\n  %s\n", file, line, condition,
                 detail.toUtf8().constData());
    std::abort();
}

} // namespace fuzz

// FUZZ_CHECK(condition, detail): `detail` (a QString) is built only when the check fails.
#define FUZZ_CHECK(condition, detail)                                                          \
    do {                                                                                       \
        if (!(condition))                                                                      \
            ::fuzz::fail(__FILE__, __LINE__, #condition, (detail));                            \
    } while (false)
