#include "CausedPreviewCall.h"

#include "IAppServer.h"
#include "MethodArguments.h"
#include "MethodReply.h"
#include "ModuleError.h"

namespace tavrel {

namespace {

const QString Yearly = QStringLiteral("ANUAL");
const QString LatestDate = QStringLiteral("FECHA");

} // namespace

QVariantList CausedPreviewCall::encodeRequest(const CausedPreviewRequest& request)
{
    return {request.company, request.year,
            request.clientTime.isValid() ? QVariant(request.clientTime) : QVariant(), QVariant()};
}

CausedPreviewRequest CausedPreviewCall::decodeRequest(const QVariantList& args)
{
    const MethodArguments arguments(method(), args, 4);
    CausedPreviewRequest request{arguments.integer(0, QStringLiteral("la empresa")),
                                 arguments.optionalInteger(1, QStringLiteral("el año")).value_or(0),
                                 QDateTime()};
    if (!args[2].isNull()) {
        request.clientTime = args[2].toDateTime();
        if (!request.clientTime.isValid())
            throw ModuleError(QStringLiteral("%1: la hora del cliente «%2» no es una fecha")
                                  .arg(method(), args[2].toString()),
                              ModuleError::Kind::Conversion);
    }
    return request;
}

QVariant CausedPreviewCall::encodeReply(const CausedPreviewReply& reply, QVariantList& args)
{
    args[3] = reply.rows.toVariant();
    return QVariantList{reply.yearly ? Yearly : LatestDate, reply.start, reply.end,
                        reply.summedColumn};
}

CausedPreviewReply CausedPreviewCall::decodeReply(const QVariant& result, const QVariantList& args)
{
    const MethodReply read(method());
    const QVariantList answer = read.list(result, QStringLiteral("el periodo"), 4);
    return {read.oneOf(answer[0], QStringLiteral("el camino"), {Yearly, LatestDate}) == Yearly,
            read.dateTime(answer[1], QStringLiteral("el inicio")),
            read.dateTime(answer[2], QStringLiteral("el fin")),
            read.oneOf(answer[3], QStringLiteral("la columna sumada"),
                       {QStringLiteral("VAL_CAUC"), QStringLiteral("VAL_TRAN")}),
            ResultTable::fromVariant(args.value(3))};
}

CausedPreviewReply CausedPreviewCall::call(IAppServer& server, const CausedPreviewRequest& request)
{
    QVariantList args = encodeRequest(request);
    const QVariant result = server.invoke(method(), args);
    return decodeReply(result, args);
}

} // namespace tavrel
