#pragma once

#include "TavrelCompatExport.h"

#include <QString>
#include <cstdint>

// COM wide strings as the host and the modules exchange them: UTF-16 text, always
// followed by a terminating zero, with its length in bytes stored as a 32-bit value
// immediately before the first character. The text may hold embedded zeros, so its
// length is the prefix, not the position of the first zero. A null BSTR is valid
// everywhere and stands for empty text.
//
// Every BSTR comes from SysAllocString/SysAllocStringLen and goes back through
// SysFreeString; the C allocator is used so that host and module may free each
// other's strings.
using BSTR = char16_t*;

// Copies a null-terminated text. A null text gives a null BSTR.
TAVREL_COMPAT_EXPORT BSTR SysAllocString(const char16_t* text);

// Copies `length` characters of `text`, zeros included. With a null text the
// characters are zero. Returns null when the length cannot be represented.
TAVREL_COMPAT_EXPORT BSTR SysAllocStringLen(const char16_t* text, uint32_t length);

// Releases a BSTR; null is ignored.
TAVREL_COMPAT_EXPORT void SysFreeString(BSTR text);

// Length in characters; 0 for null.
TAVREL_COMPAT_EXPORT uint32_t SysStringLen(BSTR text);

// Length in bytes (the stored prefix); 0 for null.
TAVREL_COMPAT_EXPORT uint32_t SysStringByteLen(BSTR text);

namespace tavrel {

// The whole text of a BSTR, embedded zeros included; null gives empty text.
TAVREL_COMPAT_EXPORT QString fromBstr(BSTR text);

// A new BSTR holding the text; the caller releases it with SysFreeString.
TAVREL_COMPAT_EXPORT BSTR toBstr(const QString& text);

} // namespace tavrel
