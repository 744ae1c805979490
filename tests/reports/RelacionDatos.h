#pragma once

#include "SClientDataSet.h"

// In-memory company and relation datasets shaped like the module's: three companies
// with name, NIT and a PNG logo, standing on the second as the chosen one, and relation
// rows whose amounts show with "#,##.00" and whose balance is calculated per row.
struct RelacionDatos
{
    static constexpr const char* NombreEmpresaActual = "Alcaldía de Villavicencio";
    static constexpr const char* NitEmpresaActual = "892.099.324-3";

    RelacionDatos();

    // A relation row numbered `n`: concept 100 + n, total n millions plus 0.89,
    // caused 500000.
    void agregar(int n);

    SClientDataSet empresa;
    SClientDataSet relacion;
};
