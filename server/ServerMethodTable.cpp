#include "ServerMethodTable.h"

#include "CausedPreviewCall.h"
#include "CausedValuePreview.h"
#include "ChangeHistory.h"
#include "MonthlyCaused.h"
#include "MovementCoverage.h"
#include "MovementCoverageCall.h"
#include "RelationArchive.h"
#include "RelationCheckCall.h"
#include "RelationChecks.h"
#include "RowHistoryCall.h"
#include "ServerMethods.h"

namespace tavrel {

const QList<ServerMethod>& ServerMethodTable::methods()
{
    using C = const ServerMethodContext&;
    static const QList<ServerMethod> table{
        {QStringLiteral("BuscarFechaServidor"), &ServerMethods::buscarFechaServidor, true},
        {QStringLiteral("BuscarPathProgramaArreglo"), &ServerMethods::buscarPathProgramaArreglo,
         true},
        // The network server also checks the statement against its policy.
        {QStringLiteral("EjecutarSQL"), &ServerMethods::ejecutarSQL, true},
        // The network server checks the password where it counts the failures.
        {QStringLiteral("ValidarUsuario"), &ServerMethods::validarUsuario, true},
        // One company's checks and one row's history.
        {RelationCheckCall::method(),
         [](C c, QVariantList& args) { return RelationChecks::method(c.db, args); }, true, 0},
        {RowHistoryCall::method(),
         [](C c, QVariantList& args) { return ChangeHistory::method(c.db, args); }, true, 0},
        // Read-only reports over the caused values; row-level security limits their rows to
        // the session's companies. The preview also reads the flag of the company it is
        // given, which must be one of them.
        {CausedPreviewCall::method(),
         [](C c, QVariantList& args) { return CausedValuePreview::invoke(c.db, args); }, true, 0},
        {MovementCoverageCall::method(),
         [](C c, QVariantList& args) { return MovementCoverage::invoke(c.db, args); }, true},
        // The archive of a closed year and the caused value by month: one company's rows,
        // which must be one of the session's. The archive is stamped with the session's
        // user as the server knows it.
        {YearArchiveCall::method(),
         [](C c, QVariantList& args) { return RelationArchive::invokeArchive(c.db, c.user, args); },
         true, 0},
        {ArchiveReadCall::method(),
         [](C c, QVariantList& args) { return RelationArchive::invokeRead(c.db, args); }, true, 0},
        {MonthlyCausedCall::method(),
         [](C c, QVariantList& args) { return MonthlyCaused::invoke(c.db, args); }, true, 0},
    };
    return table;
}

const ServerMethod* ServerMethodTable::find(const QString& name)
{
    for (const ServerMethod& m : methods()) {
        if (m.name.compare(name, Qt::CaseInsensitive) == 0)
            return &m;
    }
    return nullptr;
}

QStringList ServerMethodTable::names()
{
    QStringList list;
    for (const ServerMethod& m : methods())
        list.append(m.name);
    return list;
}

} // namespace tavrel
