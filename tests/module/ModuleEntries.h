#pragma once

#include "VEdUvura.h"

#include <QLibrary>
#include <QString>

// The module's entries, resolved by name from the built library as a host does.
struct ModuleEntries
{
    QLibrary library;
    VMiLoadDllWFn loadW = nullptr;
    VMiLoadDllFn load = nullptr;
    VMiUnLoadDllFn unload = nullptr;
    GetServerTextFn guidNet = nullptr;
    GetServerTextFn nameNet = nullptr;
    GetServerTextFn publicToken = nullptr;
    GetServerTextWFn guidNetW = nullptr;
    GetServerTextWFn nameNetW = nullptr;
    GetServerTextWFn publicTokenW = nullptr;
    CambiarAlturaFn cambiarAltura = nullptr;
    CambiarTamanoFn cambiarTamano = nullptr;
    CambiarTamanoWFn cambiarTamanoW = nullptr;

    // Loads VEdUvura.so from the folder; on failure returns the reason.
    QString open(const QString& folder)
    {
        library.setFileName(folder + QStringLiteral("/VEdUvura.so"));
        if (!library.load()) {
            return library.errorString();
        }
        QString missing;
        const auto resolve = [&](auto& entry, const char* name) {
            entry =
                reinterpret_cast<std::remove_reference_t<decltype(entry)>>(library.resolve(name));
            if (!entry) {
                missing += QString::fromLatin1(name) + u' ';
            }
        };
        resolve(loadW, "VMiLoadDllW");
        resolve(load, "VMiLoadDll");
        resolve(unload, "VMiUnLoadDll");
        resolve(guidNet, "getServerGuidNet");
        resolve(nameNet, "getServerNameNet");
        resolve(publicToken, "getServerPublicT");
        resolve(guidNetW, "getServerGuidNetW");
        resolve(nameNetW, "getServerNameNetW");
        resolve(publicTokenW, "getServerPublicTW");
        resolve(cambiarAltura, "CambiarAltura");
        resolve(cambiarTamano, "CambiarTamano");
        resolve(cambiarTamanoW, "CambiarTamanoW");
        return missing.isEmpty() ? QString() : QStringLiteral("missing: ") + missing;
    }
};
