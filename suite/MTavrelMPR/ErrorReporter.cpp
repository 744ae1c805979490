#include "ErrorReporter.h"

#include "ModuleError.h"
#include "SessionServices.h"

namespace tavrel {

void ErrorReporter::report(const std::exception& error)
{
    const auto* moduleError = dynamic_cast<const ModuleError*>(&error);
    if (moduleError && moduleError->isSilent())
        return;
    // Copies: a handler may end the scope that installed it.
    if (const auto handler = SessionServices::current().reportError) {
        handler(error);
        return;
    }
    const QString text = moduleError ? moduleError->message() : QString::fromUtf8(error.what());
    if (const auto show = SessionServices::current().showMessage)
        show(text, MessageKind::Error);
    else
        SessionServices::messageBox(text, MessageKind::Error);
}

} // namespace tavrel
