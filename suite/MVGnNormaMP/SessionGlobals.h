#pragma once

#include "MVGnNormaMPExport.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>

// The session that the menu host hands to a module's load entry, kept for the
// framework and every part of the module. The load entry writes them; nothing else
// does, except where noted. They keep their values after the unload until the next
// load overwrites them.

extern MVGNNORMAMP_EXPORT quintptr gHandleTareas; // host window
extern MVGNNORMAMP_EXPORT QString gStProtocolo;   // connection protocol
extern MVGNNORMAMP_EXPORT QString gStAliasCnx;    // connection alias
extern MVGNNORMAMP_EXPORT QString gStParSrv;      // server
extern MVGNNORMAMP_EXPORT QString gStParUsu;      // user
extern MVGNNORMAMP_EXPORT QString gStParPas;      // password
extern MVGNNORMAMP_EXPORT QString gStParEmp;      // company

// Host parameter string. After the split it holds the last host parameter that
// begins with AND (any letter case), or is empty when there is none.
extern MVGNNORMAMP_EXPORT QString gStParHpv;

// Every host parameter, one entry each. Null until the first load that brings a
// non-blank host parameter string; each such load replaces it with a new list, and
// a load with a blank string leaves it as it is.
extern MVGNNORMAMP_EXPORT std::unique_ptr<QStringList> gSlParams;

extern MVGNNORMAMP_EXPORT QString gStVersionCliente; // client version
extern MVGNNORMAMP_EXPORT QString gStFechaCliente;   // client date, as the host wrote it

// Identity of the application server and of its .NET edition.
extern MVGNNORMAMP_EXPORT QString gStServerGUID;
extern MVGNNORMAMP_EXPORT QString gStServerName;
extern MVGNNORMAMP_EXPORT QString gStServerGUIDNet;
extern MVGNNORMAMP_EXPORT QString gStServerNameNet;
extern MVGNNORMAMP_EXPORT QString gStPublicKeyToken;

// Kept by the framework once the user and company are known.
extern MVGNNORMAMP_EXPORT QString gStCodiUsua;    // user code
extern MVGNNORMAMP_EXPORT QString gStPassUsua;    // user password
extern MVGNNORMAMP_EXPORT QString gStCodiEmpr;    // current company code, as text
extern MVGNNORMAMP_EXPORT QString gStTipoUsuario; // user type

// Program code of the open window, written by the module's maintenance form.
extern MVGNNORMAMP_EXPORT QString gStNombProg;
