// The client dataset through the application server: fields, cursor, locate, changes
// applied or refused, the order of its events and those of a data source, and calculated
// and lookup fields.

#include "DataSetFixture.h"
#include "DataSetTableModel.h"
#include "DataSource.h"
#include "TestHelpers.h"

#include <QTest>

using namespace Qt::StringLiterals;
using tavrel::DataSetState;
using tavrel::Field;
using tavrel::FieldKind;
using tavrel::FieldType;
using tavrel::LocateOption;
using tavrel::LocateOptions;
using tavrel::ModuleError;
using tavrel::test::TestDatabase;

Q_DECLARE_METATYPE(tavrel::LocateOptions)

class TstClientDataSet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        TAVREL_SKIP_WITHOUT_POSTGRES();
        db = std::make_unique<TestDatabase>(TestDatabase::Content::Schema);
    }
    void cleanupTestCase() { db.reset(); }
    void init() { f = std::make_unique<DataSetFixture>(*db); }
    void cleanup();

    void fieldsComeFromTheResultWhenNoneAreDeclared();
    void declaredFieldsMustMatchTheResult();
    void walkingFromBofToEof();
    void locate_data();
    void locate();
    void inMemoryListHasNothingToApply();
    void appliedChangesReachTheServer();
    void refusedEditComesBackForCorrection();
    void refreshKeepsTheCurrentRow();
    void prefetchedAnswerIsTakenOnceAndOnlyFirst();
    void connectionNeedsAServer();
    void order_data();
    void order();
    void validateRefusalKeepsTheOldValue();
    void beforePostRefusalKeepsTheRecordBeingEdited_data();
    void beforePostRefusalKeepsTheRecordBeingEdited();
    void eachRowIsCalculatedFromItsOwnValues();
    void scrollingRecalculatesTheRowReached();
    void onlyCalculatedFieldsMayBeAssignedDuringTheCalculation();

private:
    tavrel::Field* field(const QString& name) { return f->dataSet.fieldByName(name); }
    QString nom() { return field(u"DEP_APAC"_s)->asString(); }
    // Logs every event of the fixture's dataset, its DEP_APAC field and a data source.
    void recordEvents();
    void run(const QString& steps);
    // An in-memory relation list whose rows name a funding source (resolved by a lookup
    // field from an in-memory code list) and a concept (resolved by OnCalcFields through
    // the fixture's dataset, now a query by concept), with a balance computed per row.
    void buildRubros();

    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<DataSetFixture> f;
    std::unique_ptr<tavrel::DataSource> source;
    QStringList log;
    std::unique_ptr<SClientDataSet> fuentes;
    std::unique_ptr<SClientDataSet> rubros;
    QList<int> calculatedConcepts;
};

void TstClientDataSet::cleanup()
{
    rubros.reset();
    fuentes.reset();
    source.reset();
    f.reset();
    log.clear();
    calculatedConcepts.clear();
}

void TstClientDataSet::fieldsComeFromTheResultWhenNoneAreDeclared()
{
    SClientDataSet ds;
    f->bind(ds);
    QCOMPARE(ds.fieldCount(), 0);
    ds.open();
    QCOMPARE(ds.fieldCount(), 4);
    QCOMPARE(ds.field(1)->fieldName(), u"DEP_APAC"_s);
    QCOMPARE(ds.field(1)->dataType(), FieldType::FixedChar);
    QCOMPARE(ds.field(1)->size(), 30);
    QCOMPARE(ds.fieldByName(u"cod_cont"_s)->asInteger(), 1);
    // Handlers of the close still find the fields by name (empty); they go afterwards.
    QStringList seen;
    ds.AfterClose = [&seen](SClientDataSet& d) {
        seen << d.fieldByName(u"DEP_APAC"_s)->asString();
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
    SClientDataSet narrow;
    f->bind(narrow);
    narrow.addField(u"DEP_APAC"_s, FieldType::SmallInt);
    QVERIFY_THROWS_EXCEPTION(ModuleError, narrow.open());
    QVERIFY(!narrow.active());
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
    QTest::newRow("exact text") << u"DEP_APAC"_s << QVariantList{"Horas extra"} << none << 2;
    QTest::newRow("case matters without the option")
        << u"DEP_APAC"_s << QVariantList{"horas extra"} << none << 0;
    QTest::newRow("case-insensitive")
        << u"DEP_APAC"_s << QVariantList{"HORAS EXTRA"} << anyCase << 2;
    QTest::newRow("a prefix is not a match without partial key")
        << u"DEP_APAC"_s << QVariantList{"Aux"} << none << 0;
    QTest::newRow("partial key compares the prefix only")
        << u"DEP_APAC"_s << QVariantList{"Aux"} << partial << 3;
    QTest::newRow("a prefix longer than what the index packs still finds its row")
        << u"DEP_APAC"_s << QVariantList{"Horas ext"} << partial << 2;
    QTest::newRow("partial key still minds case")
        << u"DEP_APAC"_s << QVariantList{"aux"} << partial << 0;
    QTest::newRow("partial and case-insensitive together")
        << u"DEP_APAC"_s << QVariantList{"aux"} << (partial | anyCase) << 3;
    QTest::newRow("an empty partial key matches the first row")
        << u"DEP_APAC"_s << QVariantList{""} << partial << 1;
    QTest::newRow("a searched text longer than the value does not match")
        << u"DEP_APAC"_s << QVariantList{"Horas extra nocturnas"} << partial << 0;
    QTest::newRow("a number typed as text finds the number")
        << u"COD_CONT"_s << QVariantList{"3"} << none << 3;
    QTest::newRow("partial key does not make numbers prefixes")
        << u"VAL_TOTA"_s << QVariantList{250} << partial << 0;
    QTest::newRow("two key fields must both match")
        << u"COD_CONT;DEP_APAC"_s << QVariantList{1, "Horas extra"} << none << 0;
    QTest::newRow("with two fields the text is a prefix in any case too")
        << u"COD_CONT;DEP_APAC"_s << QVariantList{3, "aux"} << (partial | anyCase) << 3;
    QTest::newRow("null finds the row with a null value")
        << u"VAL_CAUS"_s << QVariantList{QVariant()} << none << 2;
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
    field(u"DEP_APAC"_s)->setValue(u"Sueldo"_s);
    ds.post();
    ds.append();
    field(u"COD_CONT"_s)->setValue(4);
    ds.post();
    ds.first();
    ds.next();
    ds.deleteRecord();
    QCOMPARE(ds.changeCount(), 3);
    // A change checks only the values it changes: another user's total does not stop it.
    f->change(1, u"VAL_TOTA"_s, 999.0);
    QCOMPARE(ds.applyUpdates(), 3);
    QCOMPARE(ds.changeCount(), 0);

    // The inserted row got its key: editing it again updates that row on the server.
    ds.last();
    ds.edit();
    field(u"DEP_APAC"_s)->setValue(u"Prima"_s);
    ds.post();
    ds.applyUpdates();
    QStringList stored;
    for (const QVariantList& row : f->db.queryRows(
             u"SELECT COD_CONT, DEP_APAC, COALESCE(VAL_TOTA, 0) FROM NM_RPCOS ORDER BY COD_CONT"_s))
        stored << row[0].toString() + u' ' + row[1].toString().trimmed() + u' ' + row[2].toString();
    QCOMPARE(stored, (QStringList{"1 Sueldo 999", "3 Auxilio de transporte 80", "4 Prima 0"}));
}

void TstClientDataSet::refusedEditComesBackForCorrection()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    f->change(1, u"DEP_APAC"_s, u"Cambiado por otro"_s);
    ds.edit();
    field(u"DEP_APAC"_s)->setValue(u"Mío"_s);
    ds.post();
    ds.next();
    const auto error = thrownBy([&] { ds.applyUpdates(); });
    QVERIFY(error && error->kind() == ModuleError::Kind::Conflict);
    QCOMPARE(ds.state(), DataSetState::Edit);
    QCOMPARE(ds.recNo(), 1);
    QCOMPARE(nom(), u"Mío"_s);
    QCOMPARE(f->db.queryValue(u"SELECT COUNT(*) FROM NM_RPCOS WHERE DEP_APAC = 'Mío'"_s).toInt(),
             0);

    ds.cancel();
    QCOMPARE(nom(), u"Sueldo básico"_s);
    QCOMPARE(ds.changeCount(), 0);
}

void TstClientDataSet::refreshKeepsTheCurrentRow()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    ds.last();
    f->change(3, u"DEP_APAC"_s, u"Auxilio"_s);
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

void TstClientDataSet::prefetchedAnswerIsTakenOnceAndOnlyFirst()
{
    SClientDataSet& ds = f->dataSet;
    // The open that asks it takes what the batch read, though the row changed since.
    f->connection.prefetch({ds.openCall()});
    f->change(1, u"DEP_APAC"_s, u"Sueldo"_s);
    ds.open();
    QCOMPARE(nom(), u"Sueldo básico"_s);
    // Once: the same open again reads the server.
    ds.close();
    ds.open();
    QCOMPARE(nom(), u"Sueldo"_s);
    // Never after another call: the answer may be older than what that call did.
    ds.close();
    f->connection.prefetch({ds.openCall()});
    f->change(1, u"DEP_APAC"_s, u"Sueldo integral"_s);
    QVariantList none;
    f->connection.invoke(u"BuscarFechaServidor"_s, none);
    ds.open();
    QCOMPARE(nom(), u"Sueldo integral"_s);
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
            return f->db.appServer();
        }});
    connection.setDatabase(u"demo.sqlite"_s);
    f->dataSet.setRemoteServer(&connection);
    f->dataSet.open();
    QCOMPARE(asked, u"local demo.sqlite"_s);
    QVERIFY(connection.connected());
}

static QString stateName(DataSetState s)
{
    static const char* const names[] = {"Inactive", "Browse", "Edit", "Insert", "CalcFields"};
    return QString::fromLatin1(names[int(s)]);
}

void TstClientDataSet::recordEvents()
{
    SClientDataSet& ds = f->dataSet;
    ds.addField(u"SALDO"_s, tavrel::FieldType::Float, 0, tavrel::FieldKind::Calculated);
    const QList<std::pair<SClientDataSet::Event*, QString>> events = {
        {&ds.BeforeOpen, "BeforeOpen"},     {&ds.AfterOpen, "AfterOpen"},
        {&ds.BeforeClose, "BeforeClose"},   {&ds.AfterClose, "AfterClose"},
        {&ds.BeforeInsert, "BeforeInsert"}, {&ds.AfterInsert, "AfterInsert"},
        {&ds.BeforeEdit, "BeforeEdit"},     {&ds.AfterEdit, "AfterEdit"},
        {&ds.BeforePost, "BeforePost"},     {&ds.AfterPost, "AfterPost"},
        {&ds.BeforeCancel, "BeforeCancel"}, {&ds.AfterCancel, "AfterCancel"},
        {&ds.BeforeDelete, "BeforeDelete"}, {&ds.AfterDelete, "AfterDelete"},
        {&ds.BeforeScroll, "BeforeScroll"}, {&ds.AfterScroll, "AfterScroll"},
        {&ds.OnNewRecord, "OnNewRecord"},   {&ds.OnCalcFields, "CalcFields"}};
    for (const auto& [event, name] : events)
        *event = [this, name = name](SClientDataSet&) { log << name; };
    Field* nom = ds.fieldByName(u"DEP_APAC"_s);
    nom->OnValidate = [this](Field& fld) { log << "Validate:" + fld.asString(); };
    nom->OnChange = [this](Field& fld) { log << "Change:" + fld.asString(); };
    source = std::make_unique<tavrel::DataSource>();
    source->setDataSet(&ds);
    source->OnStateChange = [this](tavrel::DataSource& s) {
        log << "State:" + stateName(s.state());
    };
    source->OnDataChange = [this](tavrel::DataSource&, Field* fld) {
        log << (fld ? "Data:" + fld->fieldName() : u"Data"_s);
    };
}

void TstClientDataSet::run(const QString& steps)
{
    SClientDataSet& ds = f->dataSet;
    const QHash<QString, std::function<void()>> actions{
        {u"open"_s, [&] { ds.open(); }},
        {u"close"_s, [&] { ds.close(); }},
        {u"insert"_s, [&] { ds.insert(); }},
        {u"append"_s, [&] { ds.append(); }},
        {u"edit"_s, [&] { ds.edit(); }},
        {u"assign"_s, [&] { ds.fieldByName(u"DEP_APAC"_s)->setValue(u"Prima"_s); }},
        {u"post"_s, [&] { ds.post(); }},
        {u"cancel"_s, [&] { ds.cancel(); }},
        {u"delete"_s, [&] { ds.deleteRecord(); }},
        {u"next"_s, [&] { ds.next(); }},
        {u"first"_s, [&] { ds.first(); }}};
    for (const QString& step : steps.split(u' ', Qt::SkipEmptyParts)) {
        QVERIFY2(actions.contains(step), qPrintable(u"unknown step "_s + step));
        actions[step]();
    }
}

void TstClientDataSet::order_data()
{
    QTest::addColumn<QString>("steps"); // the setup, then after "|" the steps logged
    QTest::addColumn<QString>("expected");

    const QString post = u"BeforePost State:Browse CalcFields Data AfterPost"_s;
    const QString cancel = u"BeforeCancel State:Browse CalcFields Data AfterCancel"_s;
    const QString insert =
        u" BeforeInsert BeforeScroll State:Insert OnNewRecord Data AfterInsert AfterScroll"_s;
    QTest::newRow("open computes the first row, then AfterOpen and AfterScroll")
        << u"| open"_s << u"BeforeOpen State:Browse CalcFields Data AfterOpen AfterScroll"_s;
    QTest::newRow("insert: new record with cleared calculations, state before OnNewRecord")
        << u"open | insert"_s << insert.trimmed();
    QTest::newRow("append over a modified edit posts it first")
        << u"open edit assign | append"_s << post + insert;
    QTest::newRow("append over an untouched insert cancels it first")
        << u"open insert | append"_s << cancel + insert;
    QTest::newRow("edit") << u"open | edit"_s << u"BeforeEdit State:Edit Data AfterEdit"_s;
    QTest::newRow("assignment: validate sees the new value, calculation before OnChange")
        << u"open edit | assign"_s << u"Validate:Prima CalcFields Change:Prima Data:DEP_APAC"_s;
    QTest::newRow("post: stored, browse, recalculated, AfterPost")
        << u"open edit assign | post"_s << post;
    QTest::newRow("cancel: restored, browse, recalculated, AfterCancel")
        << u"open edit assign | cancel"_s << cancel;
    QTest::newRow("delete in browse scrolls to the next row")
        << u"open | delete"_s
        << u"BeforeDelete BeforeScroll CalcFields Data AfterDelete AfterScroll"_s;
    QTest::newRow("delete in insert is a cancel") << u"open insert | delete"_s << cancel;
    QTest::newRow("delete in edit drops the edit with the row")
        << u"open edit assign | delete"_s
        << u"BeforeDelete BeforeScroll State:Browse CalcFields Data AfterDelete AfterScroll"_s;
    QTest::newRow("scrolling either way recomputes the row it lands on")
        << u"open | next first"_s
        << u"BeforeScroll CalcFields Data AfterScroll BeforeScroll CalcFields Data AfterScroll"_s;
    QTest::newRow("close with a pending edit: no post, no cancel events")
        << u"open edit assign | close"_s << u"BeforeClose State:Inactive AfterClose"_s;
}

void TstClientDataSet::order()
{
    recordEvents();
    QFETCH(QString, steps);
    QFETCH(QString, expected);
    run(steps.section(u'|', 0, 0));
    log.clear();
    run(steps.section(u'|', 1));
    QCOMPARE(log.join(u' '), expected);
}

void TstClientDataSet::validateRefusalKeepsTheOldValue()
{
    recordEvents();
    SClientDataSet& ds = f->dataSet;
    Field* nom = ds.fieldByName(u"DEP_APAC"_s);
    QString proposed;
    nom->OnValidate = [&](Field& fld) {
        proposed = fld.asString();
        if (fld.asString() == QLatin1String("Malo"))
            throw ModuleError(QStringLiteral("La Contabilizción Seleccionada no se Encuentra "
                                             "Registrada..."));
    };
    run("open edit");
    log.clear();
    QVERIFY_THROWS_EXCEPTION(ModuleError, nom->setValue(u"Malo"_s));
    QCOMPARE(proposed, u"Malo"_s);
    QCOMPARE(nom->asString(), u"Sueldo básico"_s);
    QCOMPARE(ds.state(), DataSetState::Edit);
    QVERIFY(!ds.modified());
    QVERIFY2(log.isEmpty(), qPrintable(log.join(',')));
}

void TstClientDataSet::beforePostRefusalKeepsTheRecordBeingEdited_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<DataSetState>("state");
    QTest::newRow("a new record stays in insert")
        << u"open append assign"_s << DataSetState::Insert;
    QTest::newRow("an edited record stays in edit") << u"open edit assign"_s << DataSetState::Edit;
}

void TstClientDataSet::beforePostRefusalKeepsTheRecordBeingEdited()
{
    recordEvents();
    QFETCH(QString, setup);
    QFETCH(DataSetState, state);
    SClientDataSet& ds = f->dataSet;
    ds.BeforePost = [](SClientDataSet&) {
        throw ModuleError(u"Sin hora del servidor"_s, ModuleError::Kind::Server);
    };
    run(setup);
    const int rows = ds.recordCount();
    QVERIFY_THROWS_EXCEPTION(ModuleError, ds.post());
    QCOMPARE(ds.state(), state);
    QCOMPARE(ds.recordCount(), rows);
    QCOMPARE(ds.fieldByName(u"DEP_APAC"_s)->asString(), u"Prima"_s);
    QVERIFY(ds.modified());
    QCOMPARE(ds.changeCount(), 0);

    ds.BeforePost = nullptr;
    ds.post();
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(ds.changeCount(), 1);
    // Posted already: a second post has nothing to store and says so.
    QVERIFY(mentions(thrownBy([&] { ds.post(); }), {u"QryConceptos", u"edición o inserción"}));
}

void TstClientDataSet::buildRubros()
{
    f->dataSet.setCommandText(u"SELECT TVL_ROWID, COD_CONT, DEP_APAC, VAL_TOTA, VAL_CAUS "
                              "FROM NM_RPCOS WHERE COD_CONT = :P_COD_CONT"_s);

    fuentes = std::make_unique<SClientDataSet>();
    fuentes->addField(u"COD_FUEN"_s, FieldType::String, 2);
    fuentes->addField(u"NOM_FUEN"_s, FieldType::String, 16);
    fuentes->createDataSet();
    appendRows(*fuentes, {{u"01"_s, u"Nación"_s}, {u"02"_s, u"Recursos propios"_s}});

    rubros = std::make_unique<SClientDataSet>();
    rubros->setObjectName(u"QryVeZEZev"_s);
    rubros->addField(u"COD_FUEN"_s, FieldType::FixedChar, 2);
    rubros->addField(u"COD_CONT"_s, FieldType::SmallInt);
    rubros->addField(u"VAL_TOTA"_s, FieldType::Float);
    rubros->addField(u"VAL_CAUS"_s, FieldType::Float);
    Field* fuente = rubros->addField(u"DtfNmbFuen"_s, FieldType::String, 8, FieldKind::Lookup);
    fuente->setKeyField(u"COD_FUEN"_s);
    fuente->setLookupDataSet(fuentes.get());
    fuente->setLookupKeyField(u"COD_FUEN"_s);
    fuente->setLookupResultField(u"NOM_FUEN"_s);
    rubros->addField(u"DtfNmbCont"_s, FieldType::String, 40, FieldKind::Calculated);
    rubros->addField(u"DtfNmbValSald"_s, FieldType::Float, 0, FieldKind::Calculated);
    rubros->OnCalcFields = [this](SClientDataSet& ds) {
        QCOMPARE(ds.state(), DataSetState::CalcFields);
        Field* cont = ds.fieldByName(u"COD_CONT"_s);
        calculatedConcepts << cont->asInteger();
        SClientDataSet& qry = f->dataSet;
        qry.close();
        qry.paramByName(u"P_COD_CONT"_s).value = cont->value();
        qry.open();
        ds.fieldByName(u"DtfNmbCont"_s)->setValue(qry.fieldByName(u"DEP_APAC"_s)->value());
        Field* total = ds.fieldByName(u"VAL_TOTA"_s);
        Field* causado = ds.fieldByName(u"VAL_CAUS"_s);
        const bool both = !total->isNull() && !causado->isNull();
        ds.fieldByName(u"DtfNmbValSald"_s)
            ->setValue(both ? total->asFloat() - causado->asFloat() : 0.0);
    };
    rubros->createDataSet();
}

void TstClientDataSet::eachRowIsCalculatedFromItsOwnValues()
{
    buildRubros();
    appendRows(
        *rubros,
        {{u"01"_s, 1, 1000.0, 400.0}, {u"02"_s, 2, 250.5, QVariant()}, {u"09"_s, 3, 80.0, 30.0}});
    rubros->first();
    rubros->invalidateCalculatedFields(); // only the current row is calculated again

    tavrel::DataSetTableModel model;
    model.setDataSet(rubros.get());
    model.setColumns({u"DtfNmbFuen"_s, u"DtfNmbCont"_s, u"DtfNmbValSald"_s});
    calculatedConcepts.clear();
    const QStringList expected[] = {{"Nación", "Sueldo básico", "600"},
                                    {"Recursos", "Horas extra", "0"},
                                    {"", "Auxilio de transporte", "50"}};
    for (int row = 2; row >= 0; --row) {
        for (int col = 0; col < 3; ++col)
            QCOMPARE(model.index(row, col).data().toString(), expected[row][col]);
    }
    // One calculation per row not yet calculated; the cursor and the state never moved.
    QCOMPARE(calculatedConcepts, (QList<int>{3, 2}));
    QCOMPARE(rubros->recNo(), 1);
    QCOMPARE(rubros->state(), DataSetState::Browse);
    QCOMPARE(fuentes->recNo(), 2);
}

void TstClientDataSet::scrollingRecalculatesTheRowReached()
{
    buildRubros();
    appendRows(*rubros, {{u"01"_s, 1, 1000.0, 400.0}, {u"02"_s, 2, 250.5, 0.5}});
    rubros->first();
    QCOMPARE(rubros->fieldByName(u"DtfNmbFuen"_s)->asString(), u"Nación"_s);

    // The code list changes while the relation stands on another row.
    rubros->next();
    fuentes->first();
    fuentes->edit();
    fuentes->field(1)->setValue(u"Nación (PGN)"_s);
    fuentes->post();
    f->change(1, u"DEP_APAC"_s, u"Sueldo"_s);

    rubros->prior();
    QCOMPARE(rubros->fieldByName(u"DtfNmbFuen"_s)->asString(), u"Nación ("_s);
    QCOMPARE(rubros->fieldByName(u"DtfNmbCont"_s)->asString(), u"Sueldo"_s);
}

void TstClientDataSet::onlyCalculatedFieldsMayBeAssignedDuringTheCalculation()
{
    buildRubros();
    QString refusal;
    rubros->OnCalcFields = [&](SClientDataSet& ds) {
        ds.fieldByName(u"DtfNmbValSald"_s)->setValue(1.0);
        try {
            ds.fieldByName(u"VAL_TOTA"_s)->setValue(1.0);
        } catch (const ModuleError& e) {
            refusal = e.message();
        }
        QVERIFY_THROWS_EXCEPTION(ModuleError, ds.next());
    };
    appendRows(*rubros, {{u"01"_s, 1, 1000.0, 400.0}});
    QVERIFY2(refusal.contains(QLatin1String("VAL_TOTA")), qPrintable(refusal));
    QCOMPARE(rubros->fieldByName(u"VAL_TOTA"_s)->asFloat(), 1000.0);
    QCOMPARE(rubros->fieldByName(u"DtfNmbValSald"_s)->asFloat(), 1.0);
}

QTEST_GUILESS_MAIN(TstClientDataSet)
#include "tst_clientdataset.moc"
