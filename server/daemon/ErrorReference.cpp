#include "ErrorReference.h"

#include "ServerLog.h"

#include <QRandomGenerator>

namespace tavrel {

ModuleError ErrorReference::forDesk(const ModuleError& error, const QString& user,
                                    const QString& call)
{
    switch (error.kind()) {
    case ModuleError::Kind::Server:
        return ModuleError(hidden(error.message(), user, call), error.kind());
    case ModuleError::Kind::Connection: {
        const QString reference = newReference();
        log(reference, user, call, error.message());
        return ModuleError(QStringLiteral("El servidor de aplicaciones no puede usar la base de "
                                          "datos (referencia %1); consulte al administrador.")
                               .arg(reference),
                           error.kind());
    }
    case ModuleError::Kind::Refusal:
    case ModuleError::Kind::Conversion:
    case ModuleError::Kind::Conflict:
    case ModuleError::Kind::Abort:
        break;
    }
    return error;
}

QString ErrorReference::hidden(const QString& detail, const QString& user, const QString& call)
{
    const QString reference = newReference();
    log(reference, user, call, detail);
    return QStringLiteral("Error en el servidor de aplicaciones (referencia %1); consulte al "
                          "administrador.")
        .arg(reference);
}

QString ErrorReference::newReference()
{
    return QStringLiteral("%1")
        .arg(QRandomGenerator::global()->bounded(1u << 24), 6, 16, QLatin1Char('0'))
        .toUpper();
}

void ErrorReference::log(const QString& reference, const QString& user, const QString& call,
                         const QString& detail)
{
    qCWarning(lcServer).noquote() << QStringLiteral("referencia %1 (%2, %3): %4")
                                         .arg(reference,
                                              user.isEmpty() ? QStringLiteral("-") : user,
                                              call.isEmpty() ? QStringLiteral("-") : call,
                                              detail.simplified());
}

} // namespace tavrel
