#include "VEdUvura.h"

#include "ArgumentosEntrada.h"
#include "DLLUFORM.h"
#include "DVeZezev.h"
#include "ModuleApplication.h"
#include "ModuleError.h"
#include "RVeZezev.h"
#include "SepararParametrosHpv.h"
#include "SessionGlobals.h"
#include "UVeZezev.h"

#include <QApplication>
#include <QPointer>
#include <memory>
#include <vector>

using tavrel::ModuleApplication;
using tavrel::ModuleError;

namespace {

// Identity of the application server and of its .NET edition.
constexpr char16_t ServerGuid[] = u"{DBE9EBA5-64BD-47FE-86EA-5A4B472636EB}";
constexpr char16_t ServerName[] = u"VVeZezev.VVeZezevDmr";
constexpr char16_t ServerGuidNet[] = u"{CF2C242B-B879-4297-A1A0-047B76BAD2F0}";
constexpr char16_t ServerNameNet[] = u"VVeZezevBD.VVeZezev";
constexpr char16_t PublicKeyToken[] = u"5c81f0d94e27b316";

// What exists only while the module is loaded.
struct LoadedModule
{
    // The QApplication the module had to create because the host runs without one.
    // It lives from the load until the unload, which destroys it after the forms.
    std::unique_ptr<QApplication> ownApplication;
    std::unique_ptr<ModuleApplication> application;

    // A host that ends without the unload entry leaves the forms to the end of the
    // process: deleting widgets after its QApplication is gone is not safe.
    ~LoadedModule()
    {
        (void)application.release();
        (void)ownApplication.release();
    }
};

LoadedModule& loaded()
{
    static LoadedModule module;
    return module;
}

QString textOf(const char16_t* text)
{
    return TextoDeW(text);
}

QString textOf(BSTR text)
{
    return TextoDeBstr(text);
}

QString identity(const char16_t* constant)
{
    return QString::fromUtf16(constant);
}

void assignBstr(BSTR* result, const char16_t* constant)
{
    if (!result) {
        return;
    }
    SysFreeString(*result);
    *result = SysAllocString(constant);
}

const char16_t* assignPointer(const char16_t** result, const char16_t* constant)
{
    if (result) {
        *result = constant;
    }
    return constant;
}

// Widgets need a QApplication. A host without any Qt application gets one of the
// module's own; a host that only has a non-GUI application cannot show the module.
ModuleApplication& prepararAplicacion()
{
    LoadedModule& module = loaded();
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "VEdUvura";
        static char* argv[] = {name, nullptr};
        module.ownApplication = std::make_unique<QApplication>(argc, argv);
    } else if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        throw ModuleError(QStringLiteral("El programa anfitrión no tiene interfaz gráfica; "
                                         "no se puede abrir la ventana del módulo."));
    }
    if (!module.application) {
        module.application = std::make_unique<ModuleApplication>();
    }
    return *module.application;
}

// The maintenance form as the framework's master form, for the resize entries.
QPointer<TfrmFormaMaestro> FrmMaestro;

// The application owns the object and the module's reference points at it before its
// creation handler runs, so that the handler, and whatever it calls, finds it there.
template <class T> T& crear(ModuleApplication& application, QPointer<T>& referencia)
{
    referencia = application.create<T>();
    return *referencia;
}

// The data module first, so that the forms find it while they are created; the data
// module's datasets are linked to the window's connection before the window's creation
// handler opens them. An error leaves here with the objects made so far in place; the
// unload entry frees them.
void CrearFormas(ModuleApplication& application)
{
    crear(application, DtmVeZezev).DataModuleCreate();
    TFrmVeZezev& forma = crear(application, FrmVeZezev);
    DtmVeZezev->EnlazarForma(forma.DCOMCnction, forma.CdsGnEmpre);
    forma.FormCreate();
    crear(application, RptVeZEZev);
    crear(application, Captura);
    FrmMaestro = FrmVeZezev.data();
}

// The lists of earlier loads. The module never releases a list it handed out, as the
// host or the framework may still read it: they are kept here and never freed.
std::vector<std::unique_ptr<QStringList>>& listasAnteriores()
{
    static auto* listas = new std::vector<std::unique_ptr<QStringList>>;
    return *listas;
}

template <class Text>
quintptr cargar(quintptr host, Text protocolo, Text aliasCnx, Text servidor, Text usuario,
                Text password, Text empresa, Text parametrosHpv, Text versionFecha)
{
    ModuleApplication& application = prepararAplicacion();

    gHandleTareas = host;
    application.setHostWindow(host);

    gStParSrv = textOf(servidor);
    gStParUsu = textOf(usuario);
    gStParPas = textOf(password);
    gStParEmp = textOf(empresa);
    gStParHpv = textOf(parametrosHpv);
    gStAliasCnx = textOf(aliasCnx);

    // A blank string keeps the host's text and the previous list untouched.
    if (!RecortarEspacios(gStParHpv).isEmpty()) {
        if (gSlParams)
            listasAnteriores().push_back(std::move(gSlParams));
        gSlParams = std::make_unique<QStringList>();
        SepararParametrosHpv(gStParHpv, *gSlParams);
    }

    gStProtocolo = textOf(protocolo);

    gStServerGUID = identity(ServerGuid);
    gStServerName = identity(ServerName);
    gStServerGUIDNet = identity(ServerGuidNet);
    gStServerNameNet = identity(ServerNameNet);
    gStPublicKeyToken = identity(PublicKeyToken);

    // Version and date are split at the first ";"; without one the date is empty.
    const VersionFecha versionYFecha = SepararVersionFecha(textOf(versionFecha));
    gStVersionCliente = versionYFecha.version;
    gStFechaCliente = versionYFecha.fecha;

    // A window that cannot be made (a refused login, a user without companies) leaves as
    // the error; the host shows it and calls the unload entry.
    CrearFormas(application);
    return static_cast<quintptr>(FrmVeZezev->winId());
}

} // namespace

extern "C" {

quintptr VEDUVURA_CALL VMiLoadDllW(quintptr host, const char16_t* protocolo,
                                   const char16_t* aliasCnx, const char16_t* servidor,
                                   const char16_t* usuario, const char16_t* password,
                                   const char16_t* empresa, const char16_t* parametrosHpv,
                                   const char16_t* versionFecha)
{
    return cargar(host, protocolo, aliasCnx, servidor, usuario, password, empresa, parametrosHpv,
                  versionFecha);
}

quintptr VEDUVURA_CALL VMiLoadDll(quintptr host, BSTR protocolo, BSTR aliasCnx, BSTR servidor,
                                  BSTR usuario, BSTR password, BSTR empresa, BSTR parametrosHpv,
                                  BSTR versionFecha)
{
    return cargar(host, protocolo, aliasCnx, servidor, usuario, password, empresa, parametrosHpv,
                  versionFecha);
}

void VEDUVURA_CALL VMiUnLoadDll()
{
    LoadedModule& module = loaded();
    if (!module.application) {
        return;
    }
    ModuleApplication& application = *module.application;
    application.destroy(Captura);
    application.destroy(RptVeZEZev);
    application.closeAndDestroy(FrmVeZezev);
    application.destroy(DtmVeZezev);
    module.application.reset();
    module.ownApplication.reset();
}

void VEDUVURA_CALL getServerGuidNet(BSTR* result)
{
    assignBstr(result, ServerGuidNet);
}

void VEDUVURA_CALL getServerNameNet(BSTR* result)
{
    assignBstr(result, ServerNameNet);
}

void VEDUVURA_CALL getServerPublicT(BSTR* result)
{
    assignBstr(result, PublicKeyToken);
}

const char16_t* VEDUVURA_CALL getServerGuidNetW(const char16_t** result)
{
    return assignPointer(result, ServerGuidNet);
}

const char16_t* VEDUVURA_CALL getServerNameNetW(const char16_t** result)
{
    return assignPointer(result, ServerNameNet);
}

const char16_t* VEDUVURA_CALL getServerPublicTW(const char16_t** result)
{
    return assignPointer(result, PublicKeyToken);
}

void VEDUVURA_CALL CambiarAltura(int32_t alto)
{
    if (FrmMaestro) {
        FrmMaestro->CambiarAltura(alto);
    }
}

void VEDUVURA_CALL CambiarTamano(int32_t ancho, int32_t alto)
{
    if (FrmMaestro) {
        FrmMaestro->CambiarTamano(ancho, alto);
    }
}

void VEDUVURA_CALL CambiarTamanoW(const char16_t* ancho, const char16_t* alto)
{
    const int32_t anchoEntero = TextoAEntero(textOf(ancho));
    const int32_t altoEntero = TextoAEntero(textOf(alto));
    CambiarTamano(anchoEntero, altoEntero);
}

} // extern "C"
