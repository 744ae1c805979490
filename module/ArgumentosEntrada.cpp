#include "ArgumentosEntrada.h"

#include "ModuleError.h"

using tavrel::ModuleError;

QString TextoDeW(const char16_t* text)
{
    // Unit by unit up to the zero, like a BSTR: a leading U+FEFF is text, not a
    // byte-order mark.
    return text ? QString(reinterpret_cast<const QChar*>(text), -1) : QString();
}

QString TextoDeBstr(BSTR text)
{
    return tavrel::fromBstr(text);
}

int32_t TextoAEntero(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok) {
        throw ModuleError(QStringLiteral("'%1' no es un valor entero válido").arg(text),
                          ModuleError::Kind::Conversion);
    }
    return value;
}

VersionFecha SepararVersionFecha(const QString& text)
{
    const qsizetype separador = text.indexOf(u';');
    if (separador < 0) {
        return {text, QString()};
    }
    return {text.left(separador), text.mid(separador + 1)};
}
