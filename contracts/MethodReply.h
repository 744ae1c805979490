#pragma once

#include "TavrelContractsExport.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace tavrel {

// The answer of a late-bound method as the desk reads it: a value that does not have the
// shape the method gives is refused with a ModuleError (Conversion) that names the method
// and what is wrong, never read as a default.
class TAVREL_CONTRACTS_EXPORT MethodReply
{
public:
    explicit MethodReply(const QString& method) : m_method(method) {}

    // The value as a list; of exactly `size` elements unless `size` is -1.
    QVariantList list(const QVariant& value, const QString& what, qsizetype size = -1) const;
    // A date-time; null stays an invalid one.
    QDateTime dateTime(const QVariant& value, const QString& what) const;
    // A whole number.
    qint64 integer(const QVariant& value, const QString& what) const;
    // One of `allowed`, compared exactly.
    QString oneOf(const QVariant& value, const QString& what, const QStringList& allowed) const;

    [[noreturn]] void malformed(const QString& what) const;

private:
    QString m_method;
};

} // namespace tavrel
