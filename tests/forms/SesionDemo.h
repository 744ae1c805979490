#pragma once

#include "DVeZezev.h"
#include "ModuleApplication.h"
#include "SessionGlobals.h"
#include "UVeZezev.h"

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

// The data module and the window of the demo session, made and linked as the load entry
// does; the window's FormCreate has not run yet.
inline void crearFormasDemo(tavrel::ModuleApplication& app, const QString& url)
{
    prepararSesionDemo(url);
    DtmVeZezev = app.create<TDtmVeZezev>();
    DtmVeZezev->DataModuleCreate();
    FrmVeZezev = app.create<TFrmVeZezev>();
    DtmVeZezev->EnlazarForma(FrmVeZezev->DCOMCnction, FrmVeZezev->CdsGnEmpre);
}
