#pragma once

#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "TestDatabase.h"

// The relation table of a test database reset to three rows, a connection to an
// application server of the run on it, and a dataset "QryConceptos" reading them through
// the relation's provider, ordered by COD_CONT:
//   COD_CONT  DEP_APAC                 VAL_TOTA  VAL_CAUS
//   1         "Sueldo básico"          1000      400
//   2         "Horas extra"            250.5     null
//   3         "Auxilio de transporte"  80        80
struct DataSetFixture
{
    explicit DataSetFixture(tavrel::test::TestDatabase& database);
    // Points another dataset, without fields, at the same rows.
    void bind(SClientDataSet& other);
    // Changes one stored value behind the dataset's back, as another user would.
    void change(int codCont, const QString& column, const QVariant& value);

    tavrel::test::TestDatabase& db;
    SDCOMConnection connection;
    SClientDataSet dataSet;
};
