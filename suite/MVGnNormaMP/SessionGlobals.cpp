#include "SessionGlobals.h"

#include "SessionContext.h"

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

namespace {

// The component package reads the company and the user of the session through this
// source while the framework library is loaded.
struct SessionContextLink
{
    SessionContextLink()
    {
        tavrel::SessionContext::setSource([] {
            return tavrel::SessionContext::Values{gStCodiEmpr, gStCodiUsua};
        });
    }
    ~SessionContextLink() { tavrel::SessionContext::setSource({}); }
    SessionContextLink(const SessionContextLink&) = delete;
    SessionContextLink& operator=(const SessionContextLink&) = delete;
};
const SessionContextLink gSessionContextLink;

} // namespace
