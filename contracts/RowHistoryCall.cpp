#include "RowHistoryCall.h"

#include "IAppServer.h"
#include "MethodArguments.h"
#include "MethodReply.h"

namespace tavrel {

namespace {

QVariant optional(const std::optional<int>& value)
{
    return value ? QVariant(*value) : QVariant();
}

} // namespace

QVariantList RowHistoryCall::encodeRequest(const RowHistoryRequest& request)
{
    return {request.company, optional(request.payrollConcept), request.account,
            optional(request.related), QVariantList()};
}

RowHistoryRequest RowHistoryCall::decodeRequest(const QVariantList& args)
{
    const MethodArguments arguments(method(), args, 5);
    return {arguments.integer(0, QStringLiteral("la empresa")),
            arguments.optionalInteger(1, QStringLiteral("la contabilización")), args[2].toString(),
            arguments.optionalInteger(3, QStringLiteral("el código relacionado"))};
}

QVariant RowHistoryCall::encodeReply(const RowHistoryReply& reply, QVariantList& args)
{
    QVariantList list;
    for (const RowHistoryEntry& e : reply.entries) {
        QVariantList changes;
        for (const RowHistoryChange& c : e.changes)
            changes.append(QVariant(QVariantList{c.column, c.before, c.after}));
        list.append(
            QVariant(QVariantList{e.when, e.user, e.operation, e.rowKey, e.rows, QVariant(changes),
                                  e.statement.isEmpty() ? QVariant() : QVariant(e.statement),
                                  e.emptiedToZero < 0 ? QVariant() : QVariant(e.emptiedToZero)}));
    }
    args[4] = list;
    return int(list.size());
}

RowHistoryReply RowHistoryCall::decodeReply(const QVariant& result, const QVariantList& args)
{
    const MethodReply read(method());
    const QVariantList list = read.list(args.value(4), QStringLiteral("la lista de cambios"));
    if (read.integer(result, QStringLiteral("el número de cambios")) != list.size())
        read.malformed(QStringLiteral("el número de cambios no es el de la lista"));
    RowHistoryReply reply;
    for (const QVariant& item : list) {
        const QVariantList e = read.list(item, QStringLiteral("un cambio"), 8);
        RowHistoryEntry entry{
            read.dateTime(e[0], QStringLiteral("la fecha de un cambio")),
            e[1].toString(),
            e[2].toString(),
            read.integer(e[3], QStringLiteral("la fila de un cambio")),
            int(read.integer(e[4], QStringLiteral("las filas de un cambio"))),
            {},
            e[6].toString(),
            e[7].isNull() ? -1 : int(read.integer(e[7], QStringLiteral("las filas vaciadas")))};
        for (const QVariant& change :
             read.list(e[5], QStringLiteral("las columnas de un cambio"))) {
            const QVariantList c = read.list(change, QStringLiteral("una columna cambiada"), 3);
            entry.changes.append({c[0].toString(), c[1], c[2]});
        }
        reply.entries.append(entry);
    }
    return reply;
}

RowHistoryReply RowHistoryCall::call(IAppServer& server, const RowHistoryRequest& request)
{
    QVariantList args = encodeRequest(request);
    const QVariant result = server.invoke(method(), args);
    return decodeReply(result, args);
}

} // namespace tavrel
