// The texts the host hands to the module's C entry points: BSTR and null-terminated
// wide arguments, the width and height of the W resize entry and the "version;date"
// of the load entry.

#include "ArgumentosEntrada.h"
#include "FuzzCheck.h"
#include "ModuleError.h"

#include <limits>
#include <vector>

using tavrel::ModuleError;

namespace {

void checkInteger(const QString& text)
{
    int32_t value = 0;
    try {
        value = TextoAEntero(text);
    } catch (const ModuleError& error) {
        FUZZ_CHECK(error.kind() == ModuleError::Kind::Conversion, error.message());
        FUZZ_CHECK(error.message().contains(text), error.message());
        bool ok = false;
        const qlonglong wide = text.toLongLong(&ok, 10);
        FUZZ_CHECK(!ok || wide < std::numeric_limits<int32_t>::min() ||
                       wide > std::numeric_limits<int32_t>::max(),
                   text + QStringLiteral(" refused but fits"));
        return;
    }
    // An accepted text is the number, written in decimal in some way.
    FUZZ_CHECK(text.toLongLong() == value, text);
    FUZZ_CHECK(TextoAEntero(QString::number(value)) == value, text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The raw bytes as UTF-16 code units, so that lone surrogates and zeros get in too.
    std::vector<char16_t> units(size / 2);
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = char16_t(data[2 * i] | (data[2 * i + 1] << 8));
    const QString text(reinterpret_cast<const QChar*>(units.data()), qsizetype(units.size()));

    // A BSTR keeps every character, embedded zeros included, and reads back whole.
    BSTR bstr = SysAllocStringLen(units.data(), uint32_t(units.size()));
    FUZZ_CHECK(bstr != nullptr, QStringLiteral("no BSTR"));
    FUZZ_CHECK(SysStringLen(bstr) == units.size(), QString::number(SysStringLen(bstr)));
    FUZZ_CHECK(SysStringByteLen(bstr) == 2 * units.size(), QString::number(SysStringByteLen(bstr)));
    FUZZ_CHECK(bstr[units.size()] == 0, QStringLiteral("no terminating zero"));
    const QString leido = TextoDeBstr(bstr);
    FUZZ_CHECK(leido == text, leido);
    BSTR copia = tavrel::toBstr(leido);
    FUZZ_CHECK(TextoDeBstr(copia) == text, TextoDeBstr(copia));
    SysFreeString(copia);

    // A W argument ends at its first zero; the BSTR's terminator ends it at the latest.
    const qsizetype cero = text.indexOf(QChar(0));
    const QString w = TextoDeW(bstr);
    FUZZ_CHECK(w == (cero < 0 ? text : text.left(cero)), w);
    SysFreeString(bstr);
    FUZZ_CHECK(TextoDeW(nullptr).isEmpty() && TextoDeBstr(nullptr).isEmpty(),
               QStringLiteral("null is not empty"));

    // Width and height, the W text as a whole and as two halves split at a zero.
    checkInteger(w);
    if (cero >= 0)
        checkInteger(text.mid(cero + 1));

    // "version;date" splits at the first ';' and loses nothing.
    const VersionFecha partes = SepararVersionFecha(w);
    FUZZ_CHECK(!partes.version.contains(u';'), partes.version);
    const QString unido = w.contains(u';') ? partes.version + u';' + partes.fecha : partes.version;
    FUZZ_CHECK(unido == w && (w.contains(u';') || partes.fecha.isEmpty()), unido);
    return 0;
}
