#include "DBEdit.h"
#include "DBLookupComboBox.h"
#include "DataSetFixture.h"
#include "DataSource.h"
#include "TVNavegador.h"
#include "TestHelpers.h"

#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;
using tavrel::DataSetState;
using tavrel::DBEdit;
using tavrel::FieldType;
using tavrel::ModuleError;
using Nav = TVNavegador;

// Three edits and a navigator on the concepts (VAL_TOTA refuses negatives, NOM_CONT, one
// edit unbound), and a lookup combo choosing a relation row's funding source from an
// in-memory list.
struct EditsForm : DataSetFixture
{
    EditsForm()
    {
        dataSet.fieldByName(u"VAL_TOTA"_s)->OnValidate = [](tavrel::Field& field) {
            if (field.asFloat() < 0)
                throw ModuleError(u"El valor total no puede ser negativo"_s);
        };
        source.setDataSet(&dataSet);
        sources.addField(u"COD_FUEN"_s, FieldType::String, 2);
        sources.addField(u"NOM_FUEN"_s, FieldType::String, 16);
        sources.createDataSet();
        appendRows(sources, {{u"01"_s, u"Nación"_s}, {u"02"_s, u"Propios"_s}});
        relation.addField(u"COD_FUEN"_s, FieldType::FixedChar, 2);
        relation.createDataSet();
        appendRows(relation, {{u"01"_s}});
        sourcesSource.setDataSet(&sources);
        relationSource.setDataSet(&relation);

        total->setDataSource(&source);
        total->setDataField(u"VAL_TOTA"_s);
        name->move(0, 30);
        name->setDataSource(&source);
        name->setDataField(u"NOM_CONT"_s);
        other->move(0, 60);
        combo->move(0, 90);
        combo->setListSource(&sourcesSource);
        combo->setKeyField(u"COD_FUEN"_s);
        combo->setListField(u"NOM_FUEN;COD_FUEN"_s);
        combo->setDataSource(&relationSource);
        combo->setDataField(u"COD_FUEN"_s);
        nav->move(0, 120);
        nav->setDataSource(&source);
    }

    tavrel::DataSource source;
    SClientDataSet sources;
    SClientDataSet relation;
    tavrel::DataSource sourcesSource;
    tavrel::DataSource relationSource;
    QWidget window;
    DBEdit* total = new DBEdit(&window);
    DBEdit* name = new DBEdit(&window);
    DBEdit* other = new DBEdit(&window);
    tavrel::DBLookupComboBox* combo = new tavrel::DBLookupComboBox(&window);
    Nav* nav = new Nav(&window);
};

class TstDBEdits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup()
    {
        f.reset();
        messages.clear();
    }
    void showsDisplayTextInBrowseAndPlainTextWhileEditing();
    void typedTextReachesTheField_data();
    void typedTextReachesTheField();
    void refusedTextComesBack();
    void readOnlyEditsTakeNoTyping();
    void enterHookCanRefuse();
    void lookupStoresTheKeyOfTheChosenRow();
    void lookupRefusalKeepsThePreviousChoice();
    void navigatorButtonsFollowTheDataSet_data();
    void navigatorButtonsFollowTheDataSet();
    void navigatorDeleteAsksFirst();
    void navigatorRefusalsAreReportedNotThrown();

private:
    Nav::Buttons enabledButtons() const;

    std::unique_ptr<EditsForm> f;
    ReportedErrors messages;
};

void TstDBEdits::init()
{
    f = std::make_unique<EditsForm>();
    f->window.show();
    f->window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f->window));
    f->dataSet.open();
}

void TstDBEdits::showsDisplayTextInBrowseAndPlainTextWhileEditing()
{
    QCOMPARE(f->total->text(), u"1.000,00"_s);
    f->dataSet.edit();
    QCOMPARE(f->total->text(), u"1000"_s);
    f->dataSet.cancel();
    f->dataSet.next();
    QCOMPARE(f->total->text(), u"250,50"_s);
    f->dataSet.close();
    QCOMPARE(f->total->text(), QString());
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
    f->total->setFocus();
    f->total->selectAll();
    QTest::keyClicks(f->total, u"1500,25"_s);
    QCOMPARE(ds.state(), DataSetState::Edit);
    QVERIFY(f->total->pending());
    if (how == u"enter")
        QTest::keyClick(f->total, Qt::Key_Return);
    else if (how == u"focus")
        f->name->setFocus();
    else
        ds.post();
    QCOMPARE(ds.fieldByName(u"VAL_TOTA"_s)->asFloat(), 1500.25);
    QVERIFY(!f->total->pending());
    QVERIFY(messages.isEmpty());
}

void TstDBEdits::refusedTextComesBack()
{
    SClientDataSet& ds = f->dataSet;
    f->total->setFocus();
    f->total->selectAll();
    QTest::keyClicks(f->total, u"-3"_s);
    QTest::keyClick(f->total, Qt::Key_Return);
    QCOMPARE(messages, QStringList{u"El valor total no puede ser negativo"_s});
    QCOMPARE(f->total->text(), u"1000"_s);
    QCOMPARE(ds.fieldByName(u"VAL_TOTA"_s)->asFloat(), 1000.0);

    // During a post the refusal stops it and the record stays in Edit.
    f->total->selectAll();
    QTest::keyClicks(f->total, u"mil"_s);
    QVERIFY_THROWS_EXCEPTION(ModuleError, ds.post());
    QCOMPARE(ds.state(), DataSetState::Edit);
    QCOMPARE(f->total->text(), u"1000"_s);

    // Escape drops what was typed.
    f->total->selectAll();
    QTest::keyClicks(f->total, u"7"_s);
    QTest::keyClick(f->total, Qt::Key_Escape);
    QCOMPARE(f->total->text(), u"1000"_s);
    QVERIFY(!f->total->pending());
}

void TstDBEdits::readOnlyEditsTakeNoTyping()
{
    SClientDataSet& ds = f->dataSet;
    f->name->setReadOnly(true);
    f->name->setFocus();
    QTest::keyClicks(f->name, u"x"_s);
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(f->name->text(), u"Sueldo básico"_s);

    f->source.setAutoEdit(false);
    f->total->setFocus();
    QTest::keyClicks(f->total, u"5"_s);
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(f->total->text(), u"1.000,00"_s);
}

void TstDBEdits::enterHookCanRefuse()
{
    QStringList entered;
    f->other->OnEnter = [&](DBEdit&) { entered << u"other"_s; };
    f->total->OnExit = [&](DBEdit&) { throw ModuleError(u"Primero indique la contabilización"_s); };
    f->total->setFocus();
    f->other->setFocus();
    QCOMPARE(entered, QStringList{u"other"_s});
    QCOMPARE(messages, QStringList{u"Primero indique la contabilización"_s});
}

void TstDBEdits::lookupStoresTheKeyOfTheChosenRow()
{
    QCOMPARE(f->combo->currentText(), u"Nación"_s);
    QCOMPARE(f->combo->model()->columnCount(), 2);
    emit f->combo->activated(1);
    QCOMPARE(f->relation.state(), DataSetState::Edit);
    QCOMPARE(f->relation.fieldByName(u"COD_FUEN"_s)->asString(), u"02"_s);
    QCOMPARE(f->combo->currentText(), u"Propios"_s);
    QCOMPARE(f->combo->keyValue(), QVariant(u"02"_s));

    // Typing the first letter chooses as well.
    f->combo->setFocus();
    QTest::keyClicks(f->combo, u"N"_s);
    QCOMPARE(f->relation.fieldByName(u"COD_FUEN"_s)->asString(), u"01"_s);
    // A key that is not in the list ("1 " is not "01") shows nothing.
    f->relation.fieldByName(u"COD_FUEN"_s)->setValue(u"1"_s);
    QCOMPARE(f->combo->currentIndex(), -1);
    QCOMPARE(f->combo->currentText(), QString());
}

void TstDBEdits::lookupRefusalKeepsThePreviousChoice()
{
    f->relation.fieldByName(u"COD_FUEN"_s)->OnValidate = [](tavrel::Field&) {
        throw ModuleError(u"Fuente no permitida"_s);
    };
    emit f->combo->activated(1);
    QCOMPARE(messages, QStringList{u"Fuente no permitida"_s});
    QCOMPARE(f->combo->currentText(), u"Nación"_s);
    QCOMPARE(f->relation.fieldByName(u"COD_FUEN"_s)->asString(), u"01"_s);
    f->combo->setReadOnly(true);
    QVERIFY(!f->combo->selectKey(u"02"_s));
    QCOMPARE(messages.size(), 1);
}

Nav::Buttons TstDBEdits::enabledButtons() const
{
    Nav::Buttons on;
    for (int bit = 0; bit < 10; ++bit) {
        const auto b = Nav::Button(1 << bit);
        if (f->nav->button(b)->isEnabled())
            on |= b;
    }
    return on;
}

void TstDBEdits::navigatorButtonsFollowTheDataSet_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<Nav::Buttons>("enabled");

    const Nav::Buttons moving = Nav::First | Nav::Prior | Nav::Next | Nav::Last;
    const Nav::Buttons browsing = Nav::Insert | Nav::Delete | Nav::Edit | Nav::Refresh;
    QTest::newRow("closed: nothing") << QStringList{"close"} << Nav::Buttons();
    QTest::newRow("at the first record nothing goes back")
        << QStringList{} << (browsing | Nav::Next | Nav::Last);
    QTest::newRow("in the middle everything moves") << QStringList{"next"} << (browsing | moving);
    QTest::newRow("past the last nothing goes forward")
        << QStringList{"last"} << (browsing | Nav::First | Nav::Prior);
    QTest::newRow("editing: post and cancel, no insert or edit")
        << QStringList{"next", "edit"} << (moving | Nav::Delete | Nav::Post | Nav::Cancel);
    QTest::newRow("cancel goes back to browsing")
        << QStringList{"next", "edit", "cancel"} << (browsing | moving);
}

void TstDBEdits::navigatorButtonsFollowTheDataSet()
{
    QFETCH(QStringList, clicks);
    QFETCH(Nav::Buttons, enabled);
    const QHash<QString, Nav::Button> buttons{{u"next"_s, Nav::Next},
                                              {u"last"_s, Nav::Last},
                                              {u"edit"_s, Nav::Edit},
                                              {u"cancel"_s, Nav::Cancel}};
    for (const QString& c : clicks) {
        if (c == u"close")
            f->dataSet.close();
        else
            f->nav->button(buttons.value(c))->click();
    }
    QCOMPARE(enabledButtons(), enabled);
}

void TstDBEdits::navigatorDeleteAsksFirst()
{
    SClientDataSet& ds = f->dataSet;
    QString question;
    answerNextBox(u"Sí"_s, &question);
    f->nav->button(Nav::Delete)->click();
    QCOMPARE(question, u"¿Borrar el registro?"_s);
    QCOMPARE(ds.recordCount(), 2);

    // A new record is only dropped: nothing to ask.
    f->nav->button(Nav::Insert)->click();
    f->nav->button(Nav::Delete)->click();
    QCOMPARE(ds.recordCount(), 2);
    QCOMPARE(ds.state(), DataSetState::Browse);
}

void TstDBEdits::navigatorRefusalsAreReportedNotThrown()
{
    SClientDataSet& ds = f->dataSet;
    ds.BeforePost = [](SClientDataSet&) {
        throw tavrel::ModuleError(u"Falta la contabilización"_s);
    };
    f->nav->button(Nav::Edit)->click();
    f->nav->button(Nav::Post)->click();
    QCOMPARE(messages, QStringList{u"Falta la contabilización"_s});
    QCOMPARE(ds.state(), DataSetState::Edit);
    QVERIFY(f->nav->button(Nav::Post)->isEnabled());
}

QTEST_MAIN(TstDBEdits)
#include "tst_dbedits.moc"
