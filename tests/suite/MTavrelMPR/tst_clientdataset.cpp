#include "DataSetFixture.h"
#include "TestHelpers.h"

#include <QTest>

using namespace Qt::StringLiterals;
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
    void declaredFieldsMustMatchTheResult();
    void walkingFromBofToEof();
    void locate_data();
    void locate();
    void inMemoryListHasNothingToApply();
    void appliedChangesReachTheServer();
    void refusedEditComesBackForCorrection();
    void refusedDeletePutsTheRowBack();
    void refreshKeepsTheCurrentRow();
    void connectionNeedsAServer();

private:
    tavrel::Field* field(const QString& name) { return f->dataSet.fieldByName(name); }
    QString nom() { return field(u"NOM_CONT"_s)->asString(); }
    std::unique_ptr<DataSetFixture> f;
};

void TstClientDataSet::fieldsComeFromTheResultWhenNoneAreDeclared()
{
    DataSetFixture plain(DataSetFixture::FromResult);
    SClientDataSet& ds = plain.dataSet;
    QCOMPARE(ds.fieldCount(), 0);
    ds.open();
    QCOMPARE(ds.fieldCount(), 4);
    QCOMPARE(ds.field(1)->fieldName(), u"NOM_CONT"_s);
    QCOMPARE(ds.field(1)->dataType(), FieldType::String);
    QCOMPARE(ds.field(1)->size(), 40);
    QCOMPARE(ds.fieldByName(u"cod_cont"_s)->asInteger(), 1);
    // Handlers of the close still find the fields by name (empty); they go afterwards.
    QStringList seen;
    ds.AfterClose = [&seen](SClientDataSet& d) {
        seen << d.fieldByName(u"NOM_CONT"_s)->asString();
    };
    ds.close();
    QCOMPARE(seen, QStringList{QString()});
    QCOMPARE(ds.fieldCount(), 0);
    QVERIFY(!ds.findField(u"COD_CONT"_s));
}

void TstClientDataSet::declaredFieldsMustMatchTheResult()
{
    SClientDataSet& ds = f->dataSet;
    ds.addField(u"NO_EXISTE"_s, FieldType::Integer);
    QVERIFY(mentions(thrownBy([&] { ds.open(); }), {u"NO_EXISTE"}));
    QCOMPARE(ds.state(), DataSetState::Inactive);

    // A stored value that does not fit the declared type is a clear error too.
    DataSetFixture narrow;
    narrow.server->change(u"CONCEPTOS"_s, 2, u"COD_CONT"_s, 40000);
    QVERIFY_THROWS_EXCEPTION(ModuleError, narrow.dataSet.open());
    QVERIFY(!narrow.dataSet.active());
}

void TstClientDataSet::walkingFromBofToEof()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    QVERIFY(ds.bof());
    int seen = 0;
    for (; !ds.eof(); ds.next())
        ++seen;
    QCOMPARE(seen, 3);
    QCOMPARE(ds.recNo(), 3);
    QCOMPARE(ds.moveBy(-5), -2);
    QVERIFY(ds.bof());
    QCOMPARE(ds.recNo(), 1);
    ds.last();
    QVERIFY(ds.eof());
    QCOMPARE(nom(), u"Auxilio de transporte"_s);
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
    QTest::newRow("an empty partial key matches the first row")
        << "NOM_CONT" << QVariantList{""} << partial << 1;
    QTest::newRow("a long prefix in any case")
        << "NOM_CONT" << QVariantList{"AUXILIO DE T"} << (partial | anyCase) << 3;
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

void TstClientDataSet::inMemoryListHasNothingToApply()
{
    SClientDataSet list;
    list.addField(u"COD_PRES"_s, FieldType::SmallInt);
    list.addField(u"NOM_PRES"_s, FieldType::String, 64);
    list.createDataSet();
    appendRows(list, {{15, "Donaciones"}, {16, "Fondos especiales"}, {25, "Donaciones"}});
    QCOMPARE(list.lookup(u"NOM_PRES"_s, {"Donaciones"}, u"COD_PRES"_s), QVariant(15));
    // A posted change is searched at once.
    list.first();
    list.edit();
    list.fieldByName(u"NOM_PRES"_s)->setValue(u"Regalías"_s);
    list.post();
    QCOMPARE(list.lookup(u"NOM_PRES"_s, {"Donaciones"}, u"COD_PRES"_s), QVariant(25));
    QCOMPARE(list.applyUpdates(), 0);
    QCOMPARE(list.changeCount(), 0);
}

void TstClientDataSet::appliedChangesReachTheServer()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    ds.edit();
    field(u"NOM_CONT"_s)->setValue(u"Sueldo"_s);
    ds.post();
    ds.append();
    field(u"COD_CONT"_s)->setValue(4);
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
    field(u"NOM_CONT"_s)->setValue(u"Prima"_s);
    ds.post();
    ds.applyUpdates();
    const auto& table = f->server->table(u"CONCEPTOS"_s);
    QCOMPARE(table.rows.size(), 3);
    QCOMPARE(table.rows[0][1], QVariant("Sueldo"));
    QCOMPARE(table.rows[2], (QVariantList{4, "Prima", QVariant(), QVariant()}));
}

void TstClientDataSet::refusedEditComesBackForCorrection()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    f->server->change(u"CONCEPTOS"_s, 0, u"NOM_CONT"_s, u"Cambiado por otro"_s);
    ds.edit();
    field(u"NOM_CONT"_s)->setValue(u"Mío"_s);
    ds.post();
    ds.next();
    const auto error = thrownBy([&] { ds.applyUpdates(); });
    QVERIFY(error && error->kind() == ModuleError::Kind::Conflict);
    QCOMPARE(ds.state(), DataSetState::Edit);
    QCOMPARE(ds.recNo(), 1);
    QCOMPARE(nom(), u"Mío"_s);
    QVERIFY(f->server->applied.isEmpty());

    ds.cancel();
    QCOMPARE(nom(), u"Sueldo básico"_s);
    QCOMPARE(ds.changeCount(), 0);
}

void TstClientDataSet::refusedDeletePutsTheRowBack()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    ds.next();
    f->server->change(u"CONCEPTOS"_s, 1, u"VAL_TOTA"_s, 1.0);
    ds.deleteRecord();
    QCOMPARE(ds.recordCount(), 2);
    QVERIFY_THROWS_EXCEPTION(ModuleError, ds.applyUpdates());
    QCOMPARE(ds.recordCount(), 3);
    QCOMPARE(ds.recNo(), 2);
    QCOMPARE(nom(), u"Horas extra"_s);
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(ds.changeCount(), 0);
}

void TstClientDataSet::refreshKeepsTheCurrentRow()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    ds.last();
    f->server->change(u"CONCEPTOS"_s, 2, u"NOM_CONT"_s, u"Auxilio"_s);
    ds.refresh();
    QCOMPARE(ds.recNo(), 3);
    QCOMPARE(nom(), u"Auxilio"_s);

    // Pending changes would be lost: refused until they are applied or dropped.
    ds.edit();
    field(u"VAL_TOTA"_s)->setValue(90);
    ds.post();
    QVERIFY_THROWS_EXCEPTION(ModuleError, ds.refresh());
    ds.cancelUpdates();
    QCOMPARE(field(u"VAL_TOTA"_s)->asFloat(), 80.0);
    ds.refresh();
}

void TstClientDataSet::connectionNeedsAServer()
{
    SDCOMConnection connection;
    connection.setObjectName(u"DCOMCnction"_s);
    const auto error = thrownBy([&] { connection.appServer(); });
    QVERIFY(mentions(error, {u"DCOMCnction"}));
    QCOMPARE(error->kind(), ModuleError::Kind::Connection);
    QVERIFY_THROWS_EXCEPTION(ModuleError, connection.open());

    QString asked;
    const tavrel::SessionServices::Scope host(
        {.connectServer = [&](const QString& protocol, const QString& database) {
            asked = protocol + u' ' + database;
            return f->server;
        }});
    connection.setDatabase(u"demo.sqlite"_s);
    f->dataSet.setRemoteServer(&connection);
    f->dataSet.open();
    QCOMPARE(asked, u"local demo.sqlite"_s);
    QVERIFY(connection.connected());
}

QTEST_GUILESS_MAIN(TstClientDataSet)
#include "tst_clientdataset.moc"
