#include "ArchiveReadCall.h"

#include "IAppServer.h"
#include "MethodArguments.h"
#include "MethodReply.h"

namespace tavrel {

QVariantList ArchiveReadCall::encodeRequest(const ArchiveReadRequest& request)
{
    return {request.company, request.year, QVariant()};
}

ArchiveReadRequest ArchiveReadCall::decodeRequest(const QVariantList& args)
{
    const MethodArguments arguments(method(), args, 3);
    return {arguments.integer(0, QStringLiteral("la empresa")),
            arguments.integer(1, QStringLiteral("el año"))};
}

QVariant ArchiveReadCall::encodeReply(const ArchiveReadReply& reply, QVariantList& args)
{
    args[2] = reply.rows.toVariant();
    return QVariantList{reply.user, reply.when};
}

ArchiveReadReply ArchiveReadCall::decodeReply(const QVariant& result, const QVariantList& args)
{
    const MethodReply read(method());
    const QVariantList answer = read.list(result, QStringLiteral("el archivo"), 2);
    return {answer[0].toString(), read.dateTime(answer[1], QStringLiteral("la fecha")),
            ResultTable::fromVariant(args.value(2))};
}

ArchiveReadReply ArchiveReadCall::call(IAppServer& server, const ArchiveReadRequest& request)
{
    QVariantList args = encodeRequest(request);
    const QVariant result = server.invoke(method(), args);
    return decodeReply(result, args);
}

} // namespace tavrel
