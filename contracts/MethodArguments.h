#pragma once

#include "TavrelContractsExport.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <optional>

namespace tavrel {

// The argument list of one late-bound method call, read with the messages every method
// gives: a wrong count names the method, a value that is not a whole number names the
// method, what the value is and the text received.
class TAVREL_CONTRACTS_EXPORT MethodArguments
{
public:
    // Throws ModuleError when the list does not have exactly `count` arguments.
    MethodArguments(const QString& method, const QVariantList& args, int count);

    // A whole number that must be there.
    int integer(int index, const QString& what) const;
    // A whole number, or nothing for null or blank.
    std::optional<int> optionalInteger(int index, const QString& what) const;

private:
    QString m_method;
    const QVariantList& m_args;
};

} // namespace tavrel
