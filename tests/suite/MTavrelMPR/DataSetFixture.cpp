#include "DataSetFixture.h"

using namespace Qt::StringLiterals;

using tavrel::FieldType;

DataSetFixture::DataSetFixture(tavrel::test::TestDatabase& database) : db(database)
{
    db.exec(u"DELETE FROM NM_RPCOS"_s);
    const QList<QVariantList> rows{{1, u"Sueldo básico"_s, 1000.0, 400.0},
                                   {2, u"Horas extra"_s, 250.5, QVariant()},
                                   {3, u"Auxilio de transporte"_s, 80.0, 80.0}};
    for (const QVariantList& row : rows)
        db.exec(u"INSERT INTO NM_RPCOS (COD_EMPR, COD_CONT, DEP_APAC, VAL_TOTA, VAL_CAUS) "
                "VALUES (1, :C, :D, :T, :V)"_s,
                row);
    connection.setAppServer(db.appServer());

    dataSet.setObjectName(u"QryConceptos"_s);
    bind(dataSet);
    dataSet.addField(u"COD_CONT"_s, FieldType::SmallInt);
    dataSet.addField(u"DEP_APAC"_s, FieldType::String, 30);
    dataSet.addField(u"VAL_TOTA"_s, FieldType::Float)->setDisplayFormat(u"#,##.00"_s);
    dataSet.addField(u"VAL_CAUS"_s, FieldType::Float)->setDisplayFormat(u"#,##.00"_s);
}

void DataSetFixture::bind(SClientDataSet& other)
{
    other.setProviderName(u"DtsPVeZEZev"_s);
    other.setRemoteServer(&connection);
    other.setSQL({u"SELECT TVL_ROWID, COD_CONT, DEP_APAC, VAL_TOTA, VAL_CAUS FROM NM_RPCOS"_s,
                  u"ORDER BY COD_CONT"_s});
}

void DataSetFixture::change(int codCont, const QString& column, const QVariant& value)
{
    db.exec(u"UPDATE NM_RPCOS SET %1 = :V WHERE COD_CONT = :C"_s.arg(column), {value, codCont});
}
