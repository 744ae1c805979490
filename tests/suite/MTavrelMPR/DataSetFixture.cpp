#include "DataSetFixture.h"

using tavrel::FieldType;

DataSetFixture::DataSetFixture(Fields fields) : server(std::make_shared<FakeAppServer>())
{
    server->addTable(QStringLiteral("CONCEPTOS"),
                     {{QStringLiteral("COD_CONT"), FieldType::Integer, 0},
                      {QStringLiteral("NOM_CONT"), FieldType::String, 40},
                      {QStringLiteral("VAL_TOTA"), FieldType::Float, 0},
                      {QStringLiteral("VAL_CAUS"), FieldType::Float, 0}},
                     {{1, QStringLiteral("Sueldo básico"), 1000.0, 400.0},
                      {2, QStringLiteral("Horas extra"), 250.5, QVariant()},
                      {3, QStringLiteral("Auxilio de transporte"), 80.0, 80.0}});
    server->addProvider(QStringLiteral("DtsPConceptos"), QStringLiteral("CONCEPTOS"));
    connection.setAppServer(server);

    dataSet.setObjectName(QStringLiteral("QryConceptos"));
    dataSet.setProviderName(QStringLiteral("DtsPConceptos"));
    dataSet.setRemoteServer(&connection);
    dataSet.setSQL({QStringLiteral("SELECT * FROM CONCEPTOS")});
    if (fields == Declared) {
        dataSet.addField(QStringLiteral("COD_CONT"), FieldType::SmallInt);
        dataSet.addField(QStringLiteral("NOM_CONT"), FieldType::String, 40);
        dataSet.addField(QStringLiteral("VAL_TOTA"), FieldType::Float)
            ->setDisplayFormat(QStringLiteral("#,##.00"));
        dataSet.addField(QStringLiteral("VAL_CAUS"), FieldType::Float)
            ->setDisplayFormat(QStringLiteral("#,##.00"));
    }
}
