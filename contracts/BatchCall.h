#pragma once

#include "TavrelContractsExport.h"

#include "DataPacket.h"
#include "ModuleError.h"
#include "Param.h"

#include <QString>
#include <QVariantList>
#include <optional>

namespace tavrel {

// One call of a batch (IAppServer::batch): a provider's open or a late-bound call, with
// what the single call takes.
struct TAVREL_CONTRACTS_EXPORT BatchCall
{
    enum class Kind
    {
        Open,
        Invoke,
    };
    Kind kind = Kind::Open;
    QString name;        // the provider, or the method
    QString commandText; // an open's
    ParamList params;    // an open's
    QVariantList args;   // a late-bound call's, as they go in

    static BatchCall open(const QString& provider, const QString& commandText,
                          const ParamList& params);
    static BatchCall invoke(const QString& method, const QVariantList& args);
    // The same call: kind, name (without regard to case), text and values, each value of
    // the same type.
    bool sameAs(const BatchCall& other) const;
};

// What one call of a batch gave: what the single call returns, or the error it throws.
struct TAVREL_CONTRACTS_EXPORT BatchAnswer
{
    DataPacket packet; // an open's rows
    QVariant result;   // a late-bound call's result
    QVariantList args; // and its arguments as the method left them
    std::optional<ModuleError> error;
};

} // namespace tavrel
