#pragma once

#include "VEdUvura.h"

#include <QLibrary>
#include <QString>

// The module's entries, resolved by name from the built library as a host does.
struct ModuleEntries
{
    QLibrary library;
    VMiLoadDllWFn loadW;
    VMiLoadDllFn load;
    VMiUnLoadDllFn unload;
    GetServerTextFn guidNet, nameNet, publicToken;
    GetServerTextWFn guidNetW, nameNetW, publicTokenW;
    CambiarAlturaFn cambiarAltura;
    CambiarTamanoFn cambiarTamano;
    CambiarTamanoWFn cambiarTamanoW;

    // Loads VEdUvura.so from the folder; returns what went wrong, or empty text.
    QString open(const QString& folder)
    {
        library.setFileName(folder + QStringLiteral("/VEdUvura.so"));
        QString missing = library.load() ? QString() : library.errorString();
        const auto resolve = [&](auto& entry, const char* name) {
            entry = reinterpret_cast<std::decay_t<decltype(entry)>>(library.resolve(name));
            missing += entry ? QString() : QStringLiteral(" no ") + QLatin1String(name);
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
        return missing;
    }
};
