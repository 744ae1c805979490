#include "ProgramLauncher.h"

#include "ModuleError.h"

namespace tavrel {

namespace {
ProgramLauncher::Handler& handler()
{
    static ProgramLauncher::Handler h;
    return h;
}
} // namespace

void ProgramLauncher::setHandler(Handler h)
{
    handler() = std::move(h);
}

bool ProgramLauncher::hasHandler()
{
    return bool(handler());
}

void ProgramLauncher::launch(const ProgramRequest& request)
{
    if (!handler())
        throw unavailable(request.path);
    handler()(request);
}

ModuleError ProgramLauncher::unavailable(const QString& path)
{
    return ModuleError(
        QStringLiteral("El programa %1 no está disponible en este equipo").arg(path));
}

} // namespace tavrel
