#pragma once

#include "DVeZezev.h"
#include "ModuleApplication.h"
#include "ProgramLauncher.h"
#include "ServidorDemo.h"
#include "TestDatabase.h"
#include "UVeZezev.h"

#include <QStringList>
#include <functional>
#include <memory>

// The module as the host loads it, over a fresh demo database: the module application
// with a message sink, the session the host hands over, and the data module and the
// window made and linked as the load entry makes them. Every server a connection asks
// for is a ServidorDemo around the real one, and the programs asked for are kept.
class ModuloDemo
{
public:
    explicit ModuloDemo(const QString& usuario = QStringLiteral("JPEREZ"),
                        const QString& clave = QStringLiteral("Tavrel2026"),
                        const QString& empresa = QStringLiteral("1"));
    ModuloDemo(const ModuloDemo&) = delete;
    ModuloDemo& operator=(const ModuloDemo&) = delete;

    // The data module and the window; the window's FormCreate has not run yet.
    void crearFormas();
    // crearFormas() and the window's FormCreate: login and the session's company.
    void abrir();
    // Chooses another company in the window's company box.
    void cambiarEmpresa(int empresa);
    // Moves the relation to the row with this concept and related code (null: none).
    bool ubicar(const QVariant& concepto, const QVariant& relacionado);
    QVariant valor(const char* campo) const;

    std::unique_ptr<tavrel::test::TestDatabase> db;
    tavrel::SessionServices::Scope servicios;
    TDtmVeZezev* dtm = nullptr;
    TFrmVeZezev* forma = nullptr;
    // The server of the latest connection, and what is done to each new one.
    std::shared_ptr<ServidorDemo> servidor;
    std::function<void(ServidorDemo&)> prepararServidor;
    QStringList mensajes;
    QList<tavrel::ProgramRequest> programas;
    std::unique_ptr<tavrel::ModuleApplication> app; // last, so that it is freed first
};
