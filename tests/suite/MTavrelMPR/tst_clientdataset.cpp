#include "DataSetFixture.h"
#include "Field.h"
#include "ModuleError.h"

#include <QTest>

using tavrel::DataSetState;
using tavrel::DeltaRow;
using tavrel::FieldType;
using tavrel::LocateOption;
using tavrel::LocateOptions;
using tavrel::ModuleError;

Q_DECLARE_METATYPE(tavrel::LocateOptions)

class TstClientDataSet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { f = std::make_unique<DataSetFixture>(); }
    void cleanup() { f.reset(); }

    void fieldsComeFromTheResultWhenNoneAreDeclared();
    void declaredFieldsAreReadByNameAndConverted();
    void paramsAreSentWithTheCommandText();
    void walkingFromBofToEof();
    void locate_data();
    void locate();
    void inMemoryListFilledByAppendAndPost();
    void appliedChangesReachTheServer();
    void refusedEditComesBackForCorrection();
    void refusedDeletePutsTheRowBack();
    void refreshKeepsTheCurrentRow();
    void connectionNeedsAServer();

private:
    QString nom() { return f->dataSet.fieldByName(QStringLiteral("NOM_CONT"))->asString(); }
    std::unique_ptr<DataSetFixture> f;
};

void TstClientDataSet::fieldsComeFromTheResultWhenNoneAreDeclared()
{
    DataSetFixture plain(DataSetFixture::FromResult);
    SClientDataSet& ds = plain.dataSet;
    QCOMPARE(ds.fieldCount(), 0);
    ds.open();
    QCOMPARE(ds.fieldCount(), 4);
    QCOMPARE(ds.field(1)->fieldName(), QStringLiteral("NOM_CONT"));
    QCOMPARE(ds.field(1)->dataType(), FieldType::String);
    QCOMPARE(ds.field(1)->size(), 40);
    QCOMPARE(ds.fieldByName(QStringLiteral("cod_cont"))->asInteger(), 1);
    ds.close();
    QCOMPARE(ds.fieldCount(), 0);
    QVERIFY(!ds.findField(QStringLiteral("COD_CONT")));
}

void TstClientDataSet::declaredFieldsAreReadByNameAndConverted()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    QCOMPARE(ds.fieldByName(QStringLiteral("COD_CONT"))->value().typeId(), int(QMetaType::Int));
    QCOMPARE(ds.fieldByName(QStringLiteral("VAL_TOTA"))->displayText(), QStringLiteral("1.000,00"));
    ds.close();

    ds.addField(QStringLiteral("NO_EXISTE"), FieldType::Integer);
    try {
        ds.open();
        QFAIL("opened without the declared column");
    } catch (const ModuleError& e) {
        QVERIFY2(e.message().contains(QLatin1String("NO_EXISTE")), qPrintable(e.message()));
    }
    QCOMPARE(ds.state(), DataSetState::Inactive);

    // A stored value that does not fit the declared type is a clear error too.
    DataSetFixture narrow;
    narrow.server->change(QStringLiteral("CONCEPTOS"), 2, QStringLiteral("COD_CONT"), 40000);
    QVERIFY_THROWS_EXCEPTION(ModuleError, narrow.dataSet.open());
    QVERIFY(!narrow.dataSet.active());
}

void TstClientDataSet::paramsAreSentWithTheCommandText()
{
    SClientDataSet& ds = f->dataSet;
    ds.setCommandText(QStringLiteral("SELECT * FROM CONCEPTOS WHERE COD_CONT = :P_COD_CONT"));
    ds.paramByName(QStringLiteral("P_COD_CONT")).value = 2;
    ds.open();
    QCOMPARE(ds.recordCount(), 1);
    QCOMPARE(nom(), QStringLiteral("Horas extra"));
    QCOMPARE(f->server->opened.last().first, ds.commandText());
    QCOMPARE(f->server->opened.last().second.first().value, QVariant(2));
}

void TstClientDataSet::walkingFromBofToEof()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    QVERIFY(ds.bof());
    QStringList seen;
    while (!ds.eof()) {
        seen << nom();
        ds.next();
    }
    QCOMPARE(seen.size(), 3);
    QCOMPARE(ds.recNo(), 3);
    QCOMPARE(ds.moveBy(-5), -2);
    QVERIFY(ds.bof());
    QCOMPARE(ds.recNo(), 1);
    ds.last();
    QVERIFY(ds.eof());
    QCOMPARE(nom(), QStringLiteral("Auxilio de transporte"));
}

void TstClientDataSet::locate_data()
{
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<LocateOptions>("options");
    QTest::addColumn<int>("recNo"); // 0: not found

    const LocateOptions none;
    const LocateOptions partial = LocateOption::PartialKey;
    const LocateOptions anyCase = LocateOption::CaseInsensitive;
    QTest::newRow("exact text") << "NOM_CONT" << QVariantList{"Horas extra"} << none << 2;
    QTest::newRow("case matters without the option")
        << "NOM_CONT" << QVariantList{"horas extra"} << none << 0;
    QTest::newRow("case-insensitive") << "NOM_CONT" << QVariantList{"HORAS EXTRA"} << anyCase << 2;
    QTest::newRow("a prefix is not a match without partial key")
        << "NOM_CONT" << QVariantList{"Aux"} << none << 0;
    QTest::newRow("partial key compares the prefix only")
        << "NOM_CONT" << QVariantList{"Aux"} << partial << 3;
    QTest::newRow("partial key still minds case")
        << "NOM_CONT" << QVariantList{"aux"} << partial << 0;
    QTest::newRow("partial and case-insensitive together")
        << "NOM_CONT" << QVariantList{"aux"} << (partial | anyCase) << 3;
    QTest::newRow("a searched text longer than the value does not match")
        << "NOM_CONT" << QVariantList{"Horas extra nocturnas"} << partial << 0;
    QTest::newRow("a number typed as text finds the number")
        << "COD_CONT" << QVariantList{"3"} << none << 3;
    QTest::newRow("partial key does not make numbers prefixes")
        << "VAL_TOTA" << QVariantList{250} << partial << 0;
    QTest::newRow("two key fields must both match")
        << "COD_CONT;NOM_CONT" << QVariantList{1, "Horas extra"} << none << 0;
    QTest::newRow("null finds the row with a null value")
        << "VAL_CAUS" << QVariantList{QVariant()} << none << 2;
}

void TstClientDataSet::locate()
{
    QFETCH(QString, fields);
    QFETCH(QVariantList, values);
    QFETCH(LocateOptions, options);
    QFETCH(int, recNo);
    SClientDataSet& ds = f->dataSet;
    ds.open();
    ds.next(); // a miss must leave the cursor here
    QCOMPARE(ds.locate(fields, values, options), recNo != 0);
    QCOMPARE(ds.recNo(), recNo != 0 ? recNo : 2);
}

void TstClientDataSet::inMemoryListFilledByAppendAndPost()
{
    SClientDataSet list;
    list.addField(QStringLiteral("COD_PRES"), FieldType::SmallInt);
    list.addField(QStringLiteral("NOM_PRES"), FieldType::String, 64);
    list.createDataSet();
    QVERIFY(list.active());
    QVERIFY(list.isEmpty());
    const QList<std::pair<int, QString>> rows = {
        {15, "Donaciones"}, {16, "Fondos especiales"}, {25, "Donaciones"}};
    for (const auto& [code, name] : rows) {
        list.append();
        list.field(0)->setValue(code);
        list.field(1)->setValue(name);
        list.post();
    }
    QCOMPARE(list.recordCount(), 3);
    QVERIFY(list.locate(QStringLiteral("COD_PRES"), {25}));
    QCOMPARE(list.recNo(), 3);
    QCOMPARE(list.lookup(QStringLiteral("NOM_PRES"), {"Donaciones"}, QStringLiteral("COD_PRES")),
             QVariant(15));
    QCOMPARE(list.applyUpdates(), 0);
    QCOMPARE(list.changeCount(), 0);
}

void TstClientDataSet::appliedChangesReachTheServer()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    ds.edit();
    ds.fieldByName(QStringLiteral("NOM_CONT"))->setValue(QStringLiteral("Sueldo"));
    ds.post();
    ds.append();
    ds.fieldByName(QStringLiteral("COD_CONT"))->setValue(4);
    ds.post();
    ds.first();
    ds.next();
    ds.deleteRecord();
    QCOMPARE(ds.changeCount(), 3);
    QCOMPARE(ds.applyUpdates(), 3);
    QCOMPARE(ds.changeCount(), 0);

    const tavrel::Delta& delta = f->server->applied.last();
    QCOMPARE(delta.rows[0].kind, DeltaRow::Kind::Modify);
    QCOMPARE(delta.rows[0].values, (QVariantMap{{"NOM_CONT", "Sueldo"}}));
    QCOMPARE(delta.rows[0].original.value("NOM_CONT"), QVariant("Sueldo básico"));
    QCOMPARE(delta.rows[0].original.size(), 4);
    QCOMPARE(delta.rows[1].kind, DeltaRow::Kind::Insert);
    QCOMPARE(delta.rows[1].values.size(), 4);
    QCOMPARE(delta.rows[2].kind, DeltaRow::Kind::Delete);

    // The inserted row got its key: editing it again updates that row on the server.
    ds.last();
    ds.edit();
    ds.fieldByName(QStringLiteral("NOM_CONT"))->setValue(QStringLiteral("Prima"));
    ds.post();
    ds.applyUpdates();
    const auto& table = f->server->table(QStringLiteral("CONCEPTOS"));
    QCOMPARE(table.rows.size(), 3);
    QCOMPARE(table.rows[0][1], QVariant("Sueldo"));
    QCOMPARE(table.rows[2], (QVariantList{4, "Prima", QVariant(), QVariant()}));
}

void TstClientDataSet::refusedEditComesBackForCorrection()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    f->server->change(QStringLiteral("CONCEPTOS"), 0, QStringLiteral("NOM_CONT"),
                      QStringLiteral("Cambiado por otro"));
    ds.edit();
    ds.fieldByName(QStringLiteral("NOM_CONT"))->setValue(QStringLiteral("Mío"));
    ds.post();
    ds.next();
    try {
        ds.applyUpdates();
        QFAIL("the conflict was not reported");
    } catch (const ModuleError& e) {
        QCOMPARE(e.kind(), ModuleError::Kind::Conflict);
    }
    QCOMPARE(ds.state(), DataSetState::Edit);
    QCOMPARE(ds.recNo(), 1);
    QCOMPARE(nom(), QStringLiteral("Mío"));
    QVERIFY(f->server->applied.isEmpty());

    ds.cancel();
    QCOMPARE(nom(), QStringLiteral("Sueldo básico"));
    QCOMPARE(ds.changeCount(), 0);
}

void TstClientDataSet::refusedDeletePutsTheRowBack()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    ds.next();
    f->server->change(QStringLiteral("CONCEPTOS"), 1, QStringLiteral("VAL_TOTA"), 1.0);
    ds.deleteRecord();
    QCOMPARE(ds.recordCount(), 2);
    QVERIFY_THROWS_EXCEPTION(ModuleError, ds.applyUpdates());
    QCOMPARE(ds.recordCount(), 3);
    QCOMPARE(ds.recNo(), 2);
    QCOMPARE(nom(), QStringLiteral("Horas extra"));
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(ds.changeCount(), 0);
}

void TstClientDataSet::refreshKeepsTheCurrentRow()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    ds.last();
    f->server->change(QStringLiteral("CONCEPTOS"), 2, QStringLiteral("NOM_CONT"),
                      QStringLiteral("Auxilio"));
    ds.refresh();
    QCOMPARE(ds.recNo(), 3);
    QCOMPARE(nom(), QStringLiteral("Auxilio"));

    ds.edit();
    ds.fieldByName(QStringLiteral("VAL_TOTA"))->setValue(90);
    ds.post();
    QVERIFY_THROWS_EXCEPTION(ModuleError, ds.refresh());
    ds.cancelUpdates();
    QCOMPARE(ds.fieldByName(QStringLiteral("VAL_TOTA"))->asFloat(), 80.0);
    ds.refresh();
}

void TstClientDataSet::connectionNeedsAServer()
{
    SDCOMConnection connection;
    connection.setObjectName(QStringLiteral("DCOMCnction"));
    try {
        connection.appServer();
        QFAIL("a closed connection gave a server");
    } catch (const ModuleError& e) {
        QCOMPARE(e.kind(), ModuleError::Kind::Connection);
        QVERIFY2(e.message().contains(QLatin1String("DCOMCnction")), qPrintable(e.message()));
    }
    QVERIFY_THROWS_EXCEPTION(ModuleError, connection.open());

    QString asked;
    SDCOMConnection::setServerFactory([&](const QString& protocol, const QString& database) {
        asked = protocol + QLatin1Char(' ') + database;
        return f->server;
    });
    connection.setDatabase(QStringLiteral("demo.sqlite"));
    f->dataSet.setRemoteServer(&connection);
    f->dataSet.open();
    SDCOMConnection::setServerFactory(nullptr);
    QCOMPARE(asked, QStringLiteral("local demo.sqlite"));
    QVERIFY(connection.connected());
}

QTEST_GUILESS_MAIN(TstClientDataSet)
#include "tst_clientdataset.moc"
