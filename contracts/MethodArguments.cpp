#include "MethodArguments.h"

#include "ModuleError.h"

namespace tavrel {

MethodArguments::MethodArguments(const QString& method, const QVariantList& args, int count)
    : m_method(method), m_args(args)
{
    if (args.size() != count)
        throw ModuleError(QStringLiteral("El método %1 espera %2 argumento(s) y recibió %3")
                              .arg(method)
                              .arg(count)
                              .arg(args.size()));
}

std::optional<int> MethodArguments::optionalInteger(int index, const QString& what) const
{
    const QVariant& value = m_args.at(index);
    if (value.isNull() || value.toString().trimmed().isEmpty())
        return std::nullopt;
    bool ok = false;
    const int n = value.toString().trimmed().toInt(&ok);
    if (!ok)
        throw ModuleError(QStringLiteral("%1: %2 «%3» no es un número entero")
                              .arg(m_method, what, value.toString()),
                          ModuleError::Kind::Conversion);
    return n;
}

int MethodArguments::integer(int index, const QString& what) const
{
    if (const std::optional<int> n = optionalInteger(index, what))
        return *n;
    throw ModuleError(QStringLiteral("%1: falta %2").arg(m_method, what),
                      ModuleError::Kind::Conversion);
}

} // namespace tavrel
