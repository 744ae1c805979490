#include "IAppServer.h"

namespace tavrel {

IAppServer::~IAppServer() = default;

QList<BatchAnswer> IAppServer::batch(const QList<BatchCall>& calls)
{
    QList<BatchAnswer> answers;
    for (const BatchCall& call : calls) {
        BatchAnswer answer;
        try {
            if (call.kind == BatchCall::Kind::Open) {
                answer.packet = open(call.name, call.commandText, call.params);
            } else {
                answer.args = call.args;
                answer.result = invoke(call.name, answer.args);
            }
        } catch (const ModuleError& e) {
            answer.error = e;
        }
        answers.append(std::move(answer));
    }
    return answers;
}

std::optional<QString> IAppServer::verifiedLogin(const QString&, const QString&) const
{
    return std::nullopt;
}

} // namespace tavrel
