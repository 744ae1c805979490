#include "ErrorReporter.h"

#include "ModuleError.h"

#include <QApplication>
#include <QMessageBox>

namespace tavrel {

namespace {
ErrorReporter::Handler& handler()
{
    static ErrorReporter::Handler h;
    return h;
}
} // namespace

void ErrorReporter::setHandler(Handler h)
{
    handler() = std::move(h);
}

void ErrorReporter::report(const std::exception& error)
{
    const auto* moduleError = dynamic_cast<const ModuleError*>(&error);
    if (moduleError && moduleError->isSilent())
        return;
    if (handler()) {
        handler()(error);
        return;
    }
    const QString text = moduleError ? moduleError->message() : QString::fromUtf8(error.what());
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tavrel"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace tavrel
