#include "Bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

constexpr std::size_t PrefixSize = sizeof(uint32_t);

char* blockOf(BSTR text)
{
    return reinterpret_cast<char*>(text) - PrefixSize;
}

} // namespace

BSTR SysAllocString(const char16_t* text)
{
    if (!text) {
        return nullptr;
    }
    const std::size_t length = std::char_traits<char16_t>::length(text);
    if (length > std::numeric_limits<uint32_t>::max()) {
        return nullptr;
    }
    return SysAllocStringLen(text, static_cast<uint32_t>(length));
}

BSTR SysAllocStringLen(const char16_t* text, uint32_t length)
{
    // The byte length must fit the 32-bit prefix.
    if (length > std::numeric_limits<uint32_t>::max() / sizeof(char16_t)) {
        return nullptr;
    }
    const uint32_t bytes = length * sizeof(char16_t);
    char* block = static_cast<char*>(std::malloc(PrefixSize + bytes + sizeof(char16_t)));
    if (!block) {
        return nullptr;
    }
    std::memcpy(block, &bytes, PrefixSize);
    auto* characters = reinterpret_cast<char16_t*>(block + PrefixSize);
    if (text && bytes > 0) {
        std::memcpy(characters, text, bytes);
    } else if (bytes > 0) {
        std::memset(characters, 0, bytes);
    }
    characters[length] = u'\0';
    return characters;
}

void SysFreeString(BSTR text)
{
    if (text) {
        std::free(blockOf(text));
    }
}

uint32_t SysStringByteLen(BSTR text)
{
    if (!text) {
        return 0;
    }
    uint32_t bytes = 0;
    std::memcpy(&bytes, blockOf(text), PrefixSize);
    return bytes;
}

uint32_t SysStringLen(BSTR text)
{
    return SysStringByteLen(text) / sizeof(char16_t);
}

namespace tavrel {

QString fromBstr(BSTR text)
{
    if (!text) {
        return QString();
    }
    // The units as they are: QString::fromUtf16 would drop a leading U+FEFF as a
    // byte-order mark.
    return QString(reinterpret_cast<const QChar*>(text), static_cast<qsizetype>(SysStringLen(text)));
}

BSTR toBstr(const QString& text)
{
    return SysAllocStringLen(reinterpret_cast<const char16_t*>(text.utf16()),
                             static_cast<uint32_t>(text.size()));
}

} // namespace tavrel
