#include "ModuleError.h"

namespace tavrel {

ModuleError::ModuleError(const QString& message, Kind kind)
    : m_message(message), m_utf8(message.toUtf8()), m_kind(kind)
{}

ModuleError ModuleError::abort()
{
    return ModuleError(QStringLiteral("Operación abortada"), Kind::Abort);
}

} // namespace tavrel
