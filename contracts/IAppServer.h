#pragma once

#include "TavrelContractsExport.h"

#include "BatchCall.h"
#include "DataPacket.h"
#include "Delta.h"
#include "Param.h"

#include <QString>
#include <QVariantList>
#include <optional>

namespace tavrel {

// The application server as the suite and the module see it. Every call blocks
// until the server answers; every failure is thrown as ModuleError.
class TAVREL_CONTRACTS_EXPORT IAppServer
{
public:
    virtual ~IAppServer();

    // Runs the command text with its named parameters on the named provider and
    // returns the rows. Unknown provider: ModuleError naming it.
    virtual DataPacket open(const QString& provider, const QString& commandText,
                            const ParamList& params) = 0;

    // Applies inserted, modified and deleted rows to the provider's main table in one
    // transaction. Returns the technical keys of the inserted rows, in delta order.
    // A modified or deleted row whose original values no longer match is refused with
    // a ModuleError of kind Conflict, and nothing of the delta is written.
    virtual QList<qint64> applyUpdates(const QString& provider, const Delta& delta) = 0;

    // Late-bound call by name. Arguments go by reference: the callee may write into
    // them. Unknown method: ModuleError naming it.
    virtual QVariant invoke(const QString& method, QVariantList& args) = 0;

    // Several opens and late-bound calls at once, run in order, each answered with its
    // own result or error as the single call gives it; one that fails does not stop the
    // others. A server across the network takes them in one round trip; this one makes
    // the calls one by one. An error of the batch itself (the server cannot be reached)
    // is thrown.
    virtual QList<BatchAnswer> batch(const QList<BatchCall>& calls);

    // The user's type (as ValidarUsuario answers it) when this connection's own login
    // has already checked exactly this user and password, as a network session does;
    // nothing otherwise, and then the check must be asked of the server.
    virtual std::optional<QString> verifiedLogin(const QString& user,
                                                 const QString& password) const;

    // A short description of where the data lives, for messages ("SQLite demo.sqlite").
    virtual QString description() const = 0;
};

} // namespace tavrel
