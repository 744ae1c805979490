#pragma once

// The entry points of the VEdUvura module ("Relación Rubros SIIF2"). The host loads
// the library, calls one load entry per opening of the window, then any number of
// resize and server-identity calls, and VMiUnLoadDll once. Everything runs on the
// host's user-interface thread.
//
// Errors are not caught here: they reach the host as C++ exceptions (the host uses
// the same runtime), tavrel::ModuleError for the module's own refusals.

#include "Bstr.h"

#include <QtGlobal>
#include <cstdint>

#if defined(_WIN32)
#define VEDUVURA_CALL __stdcall
#else
#define VEDUVURA_CALL
#endif

#if defined(VEDUVURA_BUILD)
#define VEDUVURA_API Q_DECL_EXPORT
#else
#define VEDUVURA_API Q_DECL_IMPORT
#endif

extern "C" {

// Stores the session, creates the data module and the forms and returns the window
// handle of the maintenance form. The texts are only read; a null text is empty.
// `versionFecha` holds the client version and date separated by ";".
VEDUVURA_API quintptr VEDUVURA_CALL VMiLoadDllW(quintptr host, const char16_t* protocolo,
                                                const char16_t* aliasCnx, const char16_t* servidor,
                                                const char16_t* usuario, const char16_t* password,
                                                const char16_t* empresa,
                                                const char16_t* parametrosHpv,
                                                const char16_t* versionFecha);
VEDUVURA_API quintptr VEDUVURA_CALL VMiLoadDll(quintptr host, BSTR protocolo, BSTR aliasCnx,
                                               BSTR servidor, BSTR usuario, BSTR password,
                                               BSTR empresa, BSTR parametrosHpv, BSTR versionFecha);

// Frees the lookup dialog and the report form, closes and frees the maintenance form
// and frees the data module. Does nothing when the module is not loaded.
VEDUVURA_API void VEDUVURA_CALL VMiUnLoadDll();

// Identity of the application server's .NET edition. The BSTR entries release the
// caller's old string and assign a new one that the caller releases. The W entries
// store and return a pointer to text owned by the module. All work without a load.
VEDUVURA_API void VEDUVURA_CALL getServerGuidNet(BSTR* result);
VEDUVURA_API void VEDUVURA_CALL getServerNameNet(BSTR* result);
VEDUVURA_API void VEDUVURA_CALL getServerPublicT(BSTR* result);
VEDUVURA_API const char16_t* VEDUVURA_CALL getServerGuidNetW(const char16_t** result);
VEDUVURA_API const char16_t* VEDUVURA_CALL getServerNameNetW(const char16_t** result);
VEDUVURA_API const char16_t* VEDUVURA_CALL getServerPublicTW(const char16_t** result);

// Resize the maintenance form inside the host; ignored while no form exists.
// CambiarTamanoW reads both texts as signed decimal 32-bit integers and throws a
// tavrel::ModuleError of kind Conversion, before resizing, when one is not.
VEDUVURA_API void VEDUVURA_CALL CambiarAltura(int32_t alto);
VEDUVURA_API void VEDUVURA_CALL CambiarTamano(int32_t ancho, int32_t alto);
VEDUVURA_API void VEDUVURA_CALL CambiarTamanoW(const char16_t* ancho, const char16_t* alto);

} // extern "C"

// Entry types for hosts that resolve the entries by name at run time.
using VMiLoadDllWFn = quintptr(VEDUVURA_CALL*)(quintptr, const char16_t*, const char16_t*,
                                               const char16_t*, const char16_t*, const char16_t*,
                                               const char16_t*, const char16_t*, const char16_t*);
using VMiLoadDllFn = quintptr(VEDUVURA_CALL*)(quintptr, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR,
                                              BSTR);
using VMiUnLoadDllFn = void(VEDUVURA_CALL*)();
using GetServerTextFn = void(VEDUVURA_CALL*)(BSTR*);
using GetServerTextWFn = const char16_t*(VEDUVURA_CALL*)(const char16_t**);
using CambiarAlturaFn = void(VEDUVURA_CALL*)(int32_t);
using CambiarTamanoFn = void(VEDUVURA_CALL*)(int32_t, int32_t);
using CambiarTamanoWFn = void(VEDUVURA_CALL*)(const char16_t*, const char16_t*);
