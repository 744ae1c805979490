#include "ProgramLauncher.h"

#include "ModuleError.h"
#include "SessionServices.h"

namespace tavrel {

void ProgramLauncher::launch(const ProgramRequest& request)
{
    const auto launch = SessionServices::current().launchProgram;
    if (!launch)
        throw unavailable(request.path);
    launch(request);
}

ModuleError ProgramLauncher::unavailable(const QString& path)
{
    return ModuleError(
        QStringLiteral("El programa %1 no está disponible en este equipo").arg(path));
}

} // namespace tavrel
