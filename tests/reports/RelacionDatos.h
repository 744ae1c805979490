#pragma once

#include "SClientDataSet.h"

#include <QByteArray>

// In-memory company and relation datasets shaped like the module's: the company with
// name, NIT and a PNG logo, and relation rows whose amounts show with "#,##.00" and
// whose balance is calculated per row.
struct RelacionDatos
{
    explicit RelacionDatos(int filas = 0);

    // A relation row numbered `n`: concept 100 + n, total n millions plus 0.89,
    // caused 500000.
    void agregar(int n);
    void agregar(int n, double total, const QVariant& causado);

    static QByteArray logoPng();

    SClientDataSet empresa;
    SClientDataSet relacion;
};
