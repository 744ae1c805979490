#pragma once

#include "FakeAppServer.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"

#include <memory>

// A server with the table CONCEPTOS behind provider "DtsPConceptos", a connection to it,
// and a dataset "QryConceptos" on "SELECT * FROM CONCEPTOS".
//   COD_CONT  NOM_CONT                 VAL_TOTA  VAL_CAUS
//   1         "Sueldo básico"          1000      400
//   2         "Horas extra"            250.5     null
//   3         "Auxilio de transporte"  80        80
struct DataSetFixture
{
    enum Fields
    {
        Declared,
        FromResult
    };

    explicit DataSetFixture(Fields fields = Declared);

    std::shared_ptr<FakeAppServer> server;
    SDCOMConnection connection;
    SClientDataSet dataSet;
};
