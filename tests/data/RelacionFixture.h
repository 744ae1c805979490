#pragma once

#include "DVeZezev.h"
#include "ModuleApplication.h"
#include "ServidorConFallas.h"
#include "TestDatabase.h"
#include "UVeZezev.h"

#include <QStringList>
#include <memory>

// The data module and the maintenance window built the way the load entry builds them,
// over a fresh demo database: the module application with a message sink, the data
// module, the window linked to it, the window's FormCreate (login and first company of
// the session). The window's server is a ServidorConFallas around the real one.
class RelacionFixture
{
public:
    // A fresh demo database and the session of the user; rows may be changed through db
    // before abrir().
    explicit RelacionFixture(const QString& usuario = QStringLiteral("JPEREZ"),
                             const QString& clave = QStringLiteral("Tavrel2026"),
                             const QString& empresa = QStringLiteral("1"));
    ~RelacionFixture();

    // Creates the data module and the window and opens the relation of the session's
    // company.
    void abrir();
    // Chooses another company in the window's company box.
    void cambiarEmpresa(int empresa);
    // Moves the relation to the row with this concept and related code (null: none).
    bool ubicar(const QVariant& concepto, const QVariant& relacionado);
    QVariant valor(const char* campo) const;

    std::unique_ptr<tavrel::test::TestDatabase> db;
    std::unique_ptr<tavrel::ModuleApplication> app;
    TDtmVeZezev* dtm = nullptr;
    TFrmVeZezev* forma = nullptr;
    ServidorConFallas* servidor = nullptr;
    QStringList mensajes;
};
