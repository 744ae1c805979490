#pragma once

#include "Bstr.h"

#include <QString>

// The conversions the module's C entry points apply to the texts the host passes.
// They read outside input only: a null pointer stands for empty text, and a text that
// is not what the entry expects ends as a ModuleError (kind Conversion) naming it.

// A null-terminated wide text of a W entry; null gives empty text.
QString TextoDeW(const char16_t* text);

// The whole text of a BSTR entry, embedded zeros included; null gives empty text.
QString TextoDeBstr(BSTR text);

// A decimal 32-bit integer, as the W resize entry receives its width and height.
int32_t TextoAEntero(const QString& text);

// The load entry's "version;date": split at the first ';'. Without one the whole text
// is the version and the date is empty.
struct VersionFecha
{
    QString version;
    QString fecha;
};
VersionFecha SepararVersionFecha(const QString& text);
