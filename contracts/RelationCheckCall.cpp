#include "RelationCheckCall.h"

#include "IAppServer.h"
#include "MethodArguments.h"
#include "MethodReply.h"

namespace tavrel {

namespace {

const QString Warning = QStringLiteral("aviso");
const QString Note = QStringLiteral("nota");

} // namespace

QVariantList RelationCheckCall::encodeRequest(const RelationCheckRequest& request)
{
    return {request.company, QVariantList()};
}

RelationCheckRequest RelationCheckCall::decodeRequest(const QVariantList& args)
{
    return {MethodArguments(method(), args, 2).integer(0, QStringLiteral("la empresa"))};
}

QVariant RelationCheckCall::encodeReply(const RelationCheckReply& reply, QVariantList& args)
{
    QVariantList list;
    for (const RelationWarning& w : reply.warnings)
        list.append(QVariant(
            QVariantList{w.rowKey, w.payrollConcept, w.account, w.related, w.check,
                         w.level == RelationWarning::Level::Warning ? Warning : Note, w.message}));
    args[1] = list;
    return int(list.size());
}

RelationCheckReply RelationCheckCall::decodeReply(const QVariant& result, const QVariantList& args)
{
    const MethodReply read(method());
    const QVariantList list = read.list(args.value(1), QStringLiteral("la lista de advertencias"));
    if (read.integer(result, QStringLiteral("el número de advertencias")) != list.size())
        read.malformed(QStringLiteral("el número de advertencias no es el de la lista"));
    RelationCheckReply reply;
    for (const QVariant& item : list) {
        const QVariantList w = read.list(item, QStringLiteral("una advertencia"), 7);
        reply.warnings.append(
            {read.integer(w[0], QStringLiteral("la fila")), w[1], w[2].toString(), w[3],
             w[4].toString(),
             read.oneOf(w[5], QStringLiteral("el nivel"), {Warning, Note}) == Warning
                 ? RelationWarning::Level::Warning
                 : RelationWarning::Level::Note,
             w[6].toString()});
    }
    return reply;
}

RelationCheckReply RelationCheckCall::call(IAppServer& server, const RelationCheckRequest& request)
{
    QVariantList args = encodeRequest(request);
    const QVariant result = server.invoke(method(), args);
    return decodeReply(result, args);
}

} // namespace tavrel
