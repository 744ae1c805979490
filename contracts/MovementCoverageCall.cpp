#include "MovementCoverageCall.h"

#include "IAppServer.h"
#include "MethodArguments.h"
#include "MethodReply.h"

namespace tavrel {

const QStringList& MovementCoverageCall::columns()
{
    static const QStringList names{QStringLiteral("COD_EMPR"),    QStringLiteral("COD_CCOS"),
                                   QStringLiteral("COD_CONT"),    QStringLiteral("COD_CUEN"),
                                   QStringLiteral("MOVIMIENTOS"), QStringLiteral("VAL_CAUC"),
                                   QStringLiteral("VAL_TRAN")};
    return names;
}

QVariantList MovementCoverageCall::encodeRequest(const MovementCoverageRequest& request)
{
    return {request.year, QVariant()};
}

MovementCoverageRequest MovementCoverageCall::decodeRequest(const QVariantList& args)
{
    return {MethodArguments(method(), args, 2)
                .optionalInteger(0, QStringLiteral("el año"))
                .value_or(0)};
}

QVariant MovementCoverageCall::encodeReply(const MovementCoverageReply& reply, QVariantList& args)
{
    args[1] = reply.groups.toVariant();
    return QVariantList{reply.start, reply.end};
}

MovementCoverageReply MovementCoverageCall::decodeReply(const QVariant& result,
                                                        const QVariantList& args)
{
    const MethodReply read(method());
    const QVariantList answer = read.list(result, QStringLiteral("el año revisado"), 2);
    MovementCoverageReply reply{read.dateTime(answer[0], QStringLiteral("el inicio")),
                                read.dateTime(answer[1], QStringLiteral("el fin")),
                                ResultTable::fromVariant(args.value(1))};
    for (const QString& column : columns()) {
        if (reply.groups.columnIndex(column) < 0)
            read.malformed(QStringLiteral("a los grupos les falta la columna %1").arg(column));
    }
    return reply;
}

MovementCoverageReply MovementCoverageCall::call(IAppServer& server,
                                                 const MovementCoverageRequest& request)
{
    QVariantList args = encodeRequest(request);
    const QVariant result = server.invoke(method(), args);
    return decodeReply(result, args);
}

} // namespace tavrel
