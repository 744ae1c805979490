#include "MethodReply.h"

#include "ModuleError.h"

#include <QStringList>

namespace tavrel {

namespace {

QString shown(const QVariant& value)
{
    if (value.isNull())
        return QStringLiteral("nada");
    return QStringLiteral("«%1» (%2)")
        .arg(value.toString(), QLatin1String(value.typeName() ? value.typeName() : "?"));
}

} // namespace

void MethodReply::malformed(const QString& what) const
{
    throw ModuleError(
        QStringLiteral("La respuesta del servidor a %1 no es válida: %2").arg(m_method, what),
        ModuleError::Kind::Conversion);
}

QVariantList MethodReply::list(const QVariant& value, const QString& what, qsizetype size) const
{
    if (value.typeId() != QMetaType::QVariantList && value.typeId() != QMetaType::QStringList)
        malformed(QStringLiteral("%1 no es una lista sino %2").arg(what, shown(value)));
    const QVariantList items = value.toList();
    if (size >= 0 && items.size() != size)
        malformed(QStringLiteral("%1 tiene %2 valores en lugar de %3")
                      .arg(what)
                      .arg(items.size())
                      .arg(size));
    return items;
}

QDateTime MethodReply::dateTime(const QVariant& value, const QString& what) const
{
    if (value.isNull())
        return QDateTime();
    const QDateTime when = value.toDateTime();
    if (!when.isValid())
        malformed(QStringLiteral("%1 no es una fecha sino %2").arg(what, shown(value)));
    return when;
}

qint64 MethodReply::integer(const QVariant& value, const QString& what) const
{
    bool ok = false;
    const qint64 n = value.toString().trimmed().toLongLong(&ok);
    if (value.isNull() || !ok)
        malformed(QStringLiteral("%1 no es un número entero sino %2").arg(what, shown(value)));
    return n;
}

QString MethodReply::oneOf(const QVariant& value, const QString& what,
                           const QStringList& allowed) const
{
    const QString text = value.toString();
    if (value.typeId() != QMetaType::QString || !allowed.contains(text))
        malformed(QStringLiteral("%1 es %2 y no uno de %3")
                      .arg(what, shown(value), allowed.join(QStringLiteral(", "))));
    return text;
}

} // namespace tavrel
