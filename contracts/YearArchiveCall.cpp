#include "YearArchiveCall.h"

#include "IAppServer.h"
#include "MethodArguments.h"
#include "MethodReply.h"
#include "ModuleError.h"

namespace tavrel {

QVariantList YearArchiveCall::encodeRequest(const YearArchiveRequest& request)
{
    return {request.company, request.year, request.apply ? 1 : 0};
}

YearArchiveRequest YearArchiveCall::decodeRequest(const QVariantList& args)
{
    const MethodArguments arguments(method(), args, 3);
    const int apply = arguments.integer(2, QStringLiteral("si se archiva"));
    if (apply != 0 && apply != 1)
        throw ModuleError(
            QStringLiteral("%1: «si se archiva» debe ser 0 o 1, no %2").arg(method()).arg(apply),
            ModuleError::Kind::Conversion);
    return {arguments.integer(0, QStringLiteral("la empresa")),
            arguments.integer(1, QStringLiteral("el año")), apply == 1};
}

QVariant YearArchiveCall::encodeReply(const YearArchiveReply& reply)
{
    return QVariantList{reply.applied ? 1 : 0, reply.rows, reply.user,
                        reply.when.isValid() ? QVariant(reply.when) : QVariant()};
}

YearArchiveReply YearArchiveCall::decodeReply(const QVariant& result)
{
    const MethodReply read(method());
    const QVariantList answer = read.list(result, QStringLiteral("el archivo"), 4);
    const qint64 applied = read.integer(answer[0], QStringLiteral("si se archivó"));
    if (applied != 0 && applied != 1)
        read.malformed(QStringLiteral("si se archivó"));
    return {applied == 1, int(read.integer(answer[1], QStringLiteral("las filas"))),
            answer[2].toString(), read.dateTime(answer[3], QStringLiteral("la fecha"))};
}

YearArchiveReply YearArchiveCall::call(IAppServer& server, const YearArchiveRequest& request)
{
    QVariantList args = encodeRequest(request);
    return decodeReply(server.invoke(method(), args));
}

} // namespace tavrel
