#include "ToolOptions.h"

namespace tavrel {

const QCommandLineOption& ToolOptions::json()
{
    static const QCommandLineOption option(QStringLiteral("json"),
                                           QStringLiteral("Imprime el resultado en JSON."));
    return option;
}

const QCommandLineOption& ToolOptions::writtenWorkbook()
{
    static const QCommandLineOption option(QStringLiteral("xlsx"),
                                           QStringLiteral("El libro de Excel que se escribe."),
                                           QStringLiteral("ARCHIVO.xlsx"));
    return option;
}

} // namespace tavrel
