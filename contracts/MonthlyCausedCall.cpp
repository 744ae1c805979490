#include "MonthlyCausedCall.h"

#include "IAppServer.h"
#include "MethodArguments.h"
#include "MethodReply.h"

namespace tavrel {

QVariantList MonthlyCausedCall::encodeRequest(const MonthlyCausedRequest& request)
{
    return {request.company, request.year, QVariant()};
}

MonthlyCausedRequest MonthlyCausedCall::decodeRequest(const QVariantList& args)
{
    const MethodArguments arguments(method(), args, 3);
    return {arguments.integer(0, QStringLiteral("la empresa")),
            arguments.integer(1, QStringLiteral("el año"))};
}

QVariant MonthlyCausedCall::encodeReply(const MonthlyCausedReply& reply, QVariantList& args)
{
    args[2] = reply.rows.toVariant();
    return QVariantList{reply.start, reply.end, reply.summedColumn};
}

MonthlyCausedReply MonthlyCausedCall::decodeReply(const QVariant& result, const QVariantList& args)
{
    const MethodReply read(method());
    const QVariantList answer = read.list(result, QStringLiteral("el periodo"), 3);
    return {read.dateTime(answer[0], QStringLiteral("el inicio")),
            read.dateTime(answer[1], QStringLiteral("el fin")),
            read.oneOf(answer[2], QStringLiteral("la columna sumada"),
                       {QStringLiteral("VAL_CAUC"), QStringLiteral("VAL_TRAN")}),
            ResultTable::fromVariant(args.value(2))};
}

MonthlyCausedReply MonthlyCausedCall::call(IAppServer& server, const MonthlyCausedRequest& request)
{
    QVariantList args = encodeRequest(request);
    const QVariant result = server.invoke(method(), args);
    return decodeReply(result, args);
}

} // namespace tavrel
