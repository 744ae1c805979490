#include "DBEdit.h"
#include "DBLookupComboBox.h"
#include "DataSetFixture.h"
#include "DataSource.h"
#include "ErrorReporter.h"
#include "Field.h"
#include "ModuleError.h"

#include <QTest>

using tavrel::DataSetState;
using tavrel::DBEdit;
using tavrel::DBLookupComboBox;
using tavrel::FieldType;
using tavrel::ModuleError;

class TstDBEdits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void showsDisplayTextInBrowseAndPlainTextWhileEditing();
    void typedTextReachesTheField_data();
    void typedTextReachesTheField();
    void refusedTextComesBack();
    void readOnlyEditsTakeNoTyping();
    void enterHookCanRefuse();
    void lookupStoresTheKeyOfTheChosenRow();
    void lookupShowsEmptyForAnUnknownKey();
    void lookupRefusalKeepsThePreviousChoice();

private:
    std::unique_ptr<DataSetFixture> f;
    std::unique_ptr<tavrel::DataSource> source;
    std::unique_ptr<QWidget> window;
    DBEdit* total = nullptr;
    DBEdit* name = nullptr;
    DBEdit* other = nullptr;
    // The funding-source list and a relation row that chooses from it.
    std::unique_ptr<SClientDataSet> sources;
    std::unique_ptr<SClientDataSet> relation;
    std::unique_ptr<tavrel::DataSource> sourcesSource;
    std::unique_ptr<tavrel::DataSource> relationSource;
    DBLookupComboBox* combo = nullptr;
    QStringList messages;
};

void TstDBEdits::init()
{
    f = std::make_unique<DataSetFixture>();
    f->dataSet.fieldByName(QStringLiteral("VAL_TOTA"))->OnValidate = [](tavrel::Field& field) {
        if (field.asFloat() < 0)
            throw ModuleError(QStringLiteral("El valor total no puede ser negativo"));
    };
    source = std::make_unique<tavrel::DataSource>();
    source->setDataSet(&f->dataSet);

    sources = std::make_unique<SClientDataSet>();
    sources->addField(QStringLiteral("COD_FUEN"), FieldType::String, 2);
    sources->addField(QStringLiteral("NOM_FUEN"), FieldType::String, 16);
    sources->createDataSet();
    for (const auto& [code, text] : {std::pair{"01", "Nación"}, std::pair{"02", "Propios"}}) {
        sources->append();
        sources->fieldByName(QStringLiteral("COD_FUEN"))->setValue(QString::fromUtf8(code));
        sources->fieldByName(QStringLiteral("NOM_FUEN"))->setValue(QString::fromUtf8(text));
        sources->post();
    }
    relation = std::make_unique<SClientDataSet>();
    relation->addField(QStringLiteral("COD_FUEN"), FieldType::FixedChar, 2);
    relation->createDataSet();
    relation->append();
    relation->fieldByName(QStringLiteral("COD_FUEN"))->setValue(QStringLiteral("01"));
    relation->post();
    sourcesSource = std::make_unique<tavrel::DataSource>();
    sourcesSource->setDataSet(sources.get());
    relationSource = std::make_unique<tavrel::DataSource>();
    relationSource->setDataSet(relation.get());

    window = std::make_unique<QWidget>();
    total = new DBEdit(window.get());
    total->setDataSource(source.get());
    total->setDataField(QStringLiteral("VAL_TOTA"));
    name = new DBEdit(window.get());
    name->move(0, 30);
    name->setDataSource(source.get());
    name->setDataField(QStringLiteral("NOM_CONT"));
    other = new DBEdit(window.get());
    other->move(0, 60);
    combo = new DBLookupComboBox(window.get());
    combo->move(0, 90);
    combo->setListSource(sourcesSource.get());
    combo->setKeyField(QStringLiteral("COD_FUEN"));
    combo->setListField(QStringLiteral("NOM_FUEN;COD_FUEN"));
    combo->setDataSource(relationSource.get());
    combo->setDataField(QStringLiteral("COD_FUEN"));
    tavrel::ErrorReporter::setHandler(
        [this](const std::exception& e) { messages << QString::fromUtf8(e.what()); });
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    f->dataSet.open();
}

void TstDBEdits::cleanup()
{
    window.reset();
    relationSource.reset();
    sourcesSource.reset();
    relation.reset();
    sources.reset();
    source.reset();
    f.reset();
    tavrel::ErrorReporter::setHandler({});
    messages.clear();
}

void TstDBEdits::showsDisplayTextInBrowseAndPlainTextWhileEditing()
{
    QCOMPARE(total->text(), QStringLiteral("1.000,00"));
    f->dataSet.edit();
    QCOMPARE(total->text(), QStringLiteral("1000"));
    f->dataSet.cancel();
    f->dataSet.next();
    QCOMPARE(total->text(), QStringLiteral("250,50"));
    f->dataSet.close();
    QCOMPARE(total->text(), QString());
}

void TstDBEdits::typedTextReachesTheField_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("on Enter") << "enter";
    QTest::newRow("when the focus moves on") << "focus";
    QTest::newRow("when the record is posted") << "post";
}

void TstDBEdits::typedTextReachesTheField()
{
    QFETCH(QString, how);
    SClientDataSet& ds = f->dataSet;
    total->setFocus();
    total->selectAll();
    QTest::keyClicks(total, QStringLiteral("1500,25"));
    QCOMPARE(ds.state(), DataSetState::Edit);
    QVERIFY(total->pending());
    if (how == QLatin1String("enter"))
        QTest::keyClick(total, Qt::Key_Return);
    else if (how == QLatin1String("focus"))
        name->setFocus();
    else
        ds.post();
    QCOMPARE(ds.fieldByName(QStringLiteral("VAL_TOTA"))->asFloat(), 1500.25);
    QVERIFY(!total->pending());
    QVERIFY(messages.isEmpty());
}

void TstDBEdits::refusedTextComesBack()
{
    SClientDataSet& ds = f->dataSet;
    total->setFocus();
    total->selectAll();
    QTest::keyClicks(total, QStringLiteral("-3"));
    QTest::keyClick(total, Qt::Key_Return);
    QCOMPARE(messages, QStringList{QStringLiteral("El valor total no puede ser negativo")});
    QCOMPARE(total->text(), QStringLiteral("1000"));
    QCOMPARE(ds.fieldByName(QStringLiteral("VAL_TOTA"))->asFloat(), 1000.0);

    // During a post the refusal stops it and the record stays in Edit.
    total->selectAll();
    QTest::keyClicks(total, QStringLiteral("mil"));
    QVERIFY_THROWS_EXCEPTION(ModuleError, ds.post());
    QCOMPARE(ds.state(), DataSetState::Edit);
    QCOMPARE(total->text(), QStringLiteral("1000"));

    // Escape drops what was typed.
    total->selectAll();
    QTest::keyClicks(total, QStringLiteral("7"));
    QTest::keyClick(total, Qt::Key_Escape);
    QCOMPARE(total->text(), QStringLiteral("1000"));
    QVERIFY(!total->pending());
}

void TstDBEdits::readOnlyEditsTakeNoTyping()
{
    SClientDataSet& ds = f->dataSet;
    name->setReadOnly(true);
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("x"));
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(name->text(), QStringLiteral("Sueldo básico"));

    source->setAutoEdit(false);
    total->setFocus();
    QTest::keyClicks(total, QStringLiteral("5"));
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(total->text(), QStringLiteral("1.000,00"));
}

void TstDBEdits::enterHookCanRefuse()
{
    QStringList entered;
    other->OnEnter = [&](DBEdit&) { entered << QStringLiteral("other"); };
    total->OnExit = [&](DBEdit&) {
        throw ModuleError(QStringLiteral("Primero indique la contabilización"));
    };
    total->setFocus();
    other->setFocus();
    QCOMPARE(entered, QStringList{QStringLiteral("other")});
    QCOMPARE(messages, QStringList{QStringLiteral("Primero indique la contabilización")});
}

void TstDBEdits::lookupStoresTheKeyOfTheChosenRow()
{
    QCOMPARE(combo->currentText(), QStringLiteral("Nación"));
    QCOMPARE(combo->model()->columnCount(), 2);
    emit combo->activated(1);
    QCOMPARE(relation->state(), DataSetState::Edit);
    QCOMPARE(relation->fieldByName(QStringLiteral("COD_FUEN"))->asString(), QStringLiteral("02"));
    QCOMPARE(combo->currentText(), QStringLiteral("Propios"));
    QCOMPARE(combo->keyValue(), QVariant(QStringLiteral("02")));

    // Typing the first letter chooses as well.
    combo->setFocus();
    QTest::keyClicks(combo, QStringLiteral("N"));
    QCOMPARE(relation->fieldByName(QStringLiteral("COD_FUEN"))->asString(), QStringLiteral("01"));
}

void TstDBEdits::lookupShowsEmptyForAnUnknownKey()
{
    relation->edit();
    relation->fieldByName(QStringLiteral("COD_FUEN"))->setValue(QStringLiteral("1"));
    QCOMPARE(combo->currentIndex(), -1);
    QCOMPARE(combo->currentText(), QString());
    relation->fieldByName(QStringLiteral("COD_FUEN"))->clear();
    QCOMPARE(combo->currentIndex(), -1);
    relation->fieldByName(QStringLiteral("COD_FUEN"))->setValue(QStringLiteral("02"));
    QCOMPARE(combo->currentText(), QStringLiteral("Propios"));
}

void TstDBEdits::lookupRefusalKeepsThePreviousChoice()
{
    relation->fieldByName(QStringLiteral("COD_FUEN"))->OnValidate = [](tavrel::Field&) {
        throw ModuleError(QStringLiteral("Fuente no permitida"));
    };
    emit combo->activated(1);
    QCOMPARE(messages, QStringList{QStringLiteral("Fuente no permitida")});
    QCOMPARE(combo->currentText(), QStringLiteral("Nación"));
    QCOMPARE(relation->fieldByName(QStringLiteral("COD_FUEN"))->asString(), QStringLiteral("01"));
    combo->setReadOnly(true);
    QVERIFY(!combo->selectKey(QStringLiteral("02")));
    QCOMPARE(messages.size(), 1);
}

QTEST_MAIN(TstDBEdits)
#include "tst_dbedits.moc"
