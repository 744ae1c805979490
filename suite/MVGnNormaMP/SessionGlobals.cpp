#include "SessionGlobals.h"

quintptr gHandleTareas = 0;
QString gStProtocolo;
QString gStAliasCnx;
QString gStParSrv;
QString gStParUsu;
QString gStParPas;
QString gStParEmp;
QString gStParHpv;
std::unique_ptr<QStringList> gSlParams;
QString gStVersionCliente;
QString gStFechaCliente;
QString gStServerGUID;
QString gStServerName;
QString gStServerGUIDNet;
QString gStServerNameNet;
QString gStPublicKeyToken;
QString gStCodiUsua;
QString gStPassUsua;
QString gStCodiEmpr;
QString gStTipoUsuario;
QString gStNombProg;
