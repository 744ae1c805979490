#pragma once

#include "SessionGlobals.h"

#include <QString>

// The session as the host hands it to the load entry: the demo user JPEREZ, who sees
// every company, opening company 1 of the database at `url` in-process.
inline void prepararSesionDemo(const QString& url)
{
    gStProtocolo = QStringLiteral("local");
    gStParSrv = url;
    gStParUsu = QStringLiteral("JPEREZ");
    gStParPas = QStringLiteral("Tavrel2026");
    gStParEmp = QStringLiteral("1");
}
