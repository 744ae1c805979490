#include "DataSetFixture.h"
#include "DataSource.h"
#include "Field.h"
#include "ModuleError.h"
#include "TestHelpers.h"

#include <QTest>

using namespace Qt::StringLiterals;
using tavrel::DataSetState;
using tavrel::Field;
using tavrel::ModuleError;

// Records every event of the fixture's dataset, its NOM_CONT field and a data source.
class TstDataSetEvents : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void order_data();
    void order();
    void validateRefusalKeepsTheOldValue();
    void beforePostRefusalKeepsTheRecordBeingEdited_data();
    void beforePostRefusalKeepsTheRecordBeingEdited();

private:
    void run(const QString& steps);

    std::unique_ptr<DataSetFixture> f;
    std::unique_ptr<tavrel::DataSource> source;
    QStringList log;
};

static QString stateName(DataSetState s)
{
    static const char* const names[] = {"Inactive", "Browse", "Edit", "Insert", "CalcFields"};
    return QString::fromLatin1(names[int(s)]);
}

void TstDataSetEvents::init()
{
    f = std::make_unique<DataSetFixture>();
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
    Field* nom = ds.fieldByName(u"NOM_CONT"_s);
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

void TstDataSetEvents::cleanup()
{
    source.reset();
    f.reset();
    log.clear();
}

void TstDataSetEvents::run(const QString& steps)
{
    SClientDataSet& ds = f->dataSet;
    const QHash<QString, std::function<void()>> actions{
        {u"open"_s, [&] { ds.open(); }},
        {u"close"_s, [&] { ds.close(); }},
        {u"insert"_s, [&] { ds.insert(); }},
        {u"append"_s, [&] { ds.append(); }},
        {u"edit"_s, [&] { ds.edit(); }},
        {u"assign"_s, [&] { ds.fieldByName(u"NOM_CONT"_s)->setValue(u"Prima"_s); }},
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

void TstDataSetEvents::order_data()
{
    QTest::addColumn<QString>("steps"); // the setup, then after "|" the steps logged
    QTest::addColumn<QString>("expected");

    const QString post = u"BeforePost State:Browse CalcFields Data AfterPost"_s;
    const QString cancel = u"BeforeCancel State:Browse CalcFields Data AfterCancel"_s;
    const QString insert =
        u" BeforeInsert BeforeScroll State:Insert OnNewRecord Data AfterInsert AfterScroll"_s;
    QTest::newRow("open computes the first row, then AfterOpen and AfterScroll")
        << "| open"
        << "BeforeOpen State:Browse CalcFields Data AfterOpen AfterScroll";
    QTest::newRow("insert: new record with cleared calculations, state before OnNewRecord")
        << "open | insert" << insert.trimmed();
    QTest::newRow("append over a modified edit posts it first")
        << "open edit assign | append" << post + insert;
    QTest::newRow("append over an untouched insert cancels it first")
        << "open insert | append" << cancel + insert;
    QTest::newRow("edit") << "open | edit"
                          << "BeforeEdit State:Edit Data AfterEdit";
    QTest::newRow("assignment: validate sees the new value, calculation before OnChange")
        << "open edit | assign"
        << "Validate:Prima CalcFields Change:Prima Data:NOM_CONT";
    QTest::newRow("post: stored, browse, recalculated, AfterPost")
        << "open edit assign | post" << post;
    QTest::newRow("cancel: restored, browse, recalculated, AfterCancel")
        << "open edit assign | cancel" << cancel;
    QTest::newRow("delete in browse scrolls to the next row")
        << "open | delete"
        << "BeforeDelete BeforeScroll CalcFields Data AfterDelete AfterScroll";
    QTest::newRow("delete in insert is a cancel") << "open insert | delete" << cancel;
    QTest::newRow("delete in edit drops the edit with the row")
        << "open edit assign | delete"
        << "BeforeDelete BeforeScroll State:Browse CalcFields Data AfterDelete AfterScroll";
    QTest::newRow("scrolling either way recomputes the row it lands on")
        << "open | next first"
        << "BeforeScroll CalcFields Data AfterScroll BeforeScroll CalcFields Data AfterScroll";
    QTest::newRow("close with a pending edit: no post, no cancel events")
        << "open edit assign | close"
        << "BeforeClose State:Inactive AfterClose";
}

void TstDataSetEvents::order()
{
    QFETCH(QString, steps);
    QFETCH(QString, expected);
    run(steps.section(u'|', 0, 0));
    log.clear();
    run(steps.section(u'|', 1));
    QCOMPARE(log.join(u' '), expected);
}

void TstDataSetEvents::validateRefusalKeepsTheOldValue()
{
    SClientDataSet& ds = f->dataSet;
    Field* nom = ds.fieldByName(u"NOM_CONT"_s);
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

void TstDataSetEvents::beforePostRefusalKeepsTheRecordBeingEdited_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<DataSetState>("state");
    QTest::newRow("a new record stays in insert") << "open append assign" << DataSetState::Insert;
    QTest::newRow("an edited record stays in edit") << "open edit assign" << DataSetState::Edit;
}

void TstDataSetEvents::beforePostRefusalKeepsTheRecordBeingEdited()
{
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
    QCOMPARE(ds.fieldByName(u"NOM_CONT"_s)->asString(), u"Prima"_s);
    QVERIFY(ds.modified());
    QCOMPARE(ds.changeCount(), 0);

    ds.BeforePost = nullptr;
    ds.post();
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(ds.changeCount(), 1);
    // Posted already: a second post has nothing to store and says so.
    QVERIFY(mentions(thrownBy([&] { ds.post(); }), {u"QryConceptos", u"edición o inserción"}));
}

QTEST_GUILESS_MAIN(TstDataSetEvents)
#include "tst_datasetevents.moc"
