#include "DataSetFixture.h"

using namespace Qt::StringLiterals;

using tavrel::FieldType;

DataSetFixture::DataSetFixture(Fields fields) : server(std::make_shared<FakeAppServer>())
{
    server->addTable(u"CONCEPTOS"_s,
                     {{u"COD_CONT"_s, FieldType::Integer, 0},
                      {u"NOM_CONT"_s, FieldType::String, 40},
                      {u"VAL_TOTA"_s, FieldType::Float, 0},
                      {u"VAL_CAUS"_s, FieldType::Float, 0}},
                     {{1, u"Sueldo básico"_s, 1000.0, 400.0},
                      {2, u"Horas extra"_s, 250.5, QVariant()},
                      {3, u"Auxilio de transporte"_s, 80.0, 80.0}});
    server->addProvider(u"DtsPConceptos"_s, u"CONCEPTOS"_s);
    connection.setAppServer(server);

    dataSet.setObjectName(u"QryConceptos"_s);
    dataSet.setProviderName(u"DtsPConceptos"_s);
    dataSet.setRemoteServer(&connection);
    dataSet.setSQL({u"SELECT * FROM CONCEPTOS"_s});
    if (fields == Declared) {
        dataSet.addField(u"COD_CONT"_s, FieldType::SmallInt);
        dataSet.addField(u"NOM_CONT"_s, FieldType::String, 40);
        dataSet.addField(u"VAL_TOTA"_s, FieldType::Float)->setDisplayFormat(u"#,##.00"_s);
        dataSet.addField(u"VAL_CAUS"_s, FieldType::Float)->setDisplayFormat(u"#,##.00"_s);
    }
}
