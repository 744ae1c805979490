// The data-aware controls in one window on the concepts: the grid, the edits, a lookup
// combo and the navigator.

#include "DBEdit.h"
#include "DBLookupComboBox.h"
#include "DataSetFixture.h"
#include "DataSetTableModel.h"
#include "DataSource.h"
#include "TTavrelDBgrid.h"
#include "TVNavegador.h"
#include "TestHelpers.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

using tavrel::DataSetState;
using tavrel::DataSetTableModel;
using tavrel::DBEdit;
using tavrel::FieldType;
using tavrel::ModuleError;
using tavrel::test::TestDatabase;
using Nav = TVNavegador;

// Column order of the grid under test.
enum Column
{
    Code,    // COD_CONT, read-only column
    Name,    // DEP_APAC
    Total,   // VAL_TOTA, refuses negative values
    Balance, // SALDO, calculated
};

// The concepts with a calculated balance (VAL_TOTA refuses negative values, DEP_APAC is
// labelled "Nombre") in a grid, two edits, an unbound edit and a navigator; a lookup
// combo chooses a relation row's funding source from an in-memory list.
struct ControlsForm : DataSetFixture
{
    explicit ControlsForm(TestDatabase& database) : DataSetFixture(database)
    {
        dataSet.addField(u"SALDO"_s, FieldType::Float, 0, tavrel::FieldKind::Calculated);
        dataSet.OnCalcFields = [](SClientDataSet& d) {
            d.fieldByName(u"SALDO"_s)
                ->setValue(d.fieldByName(u"VAL_TOTA"_s)->asFloat() -
                           d.fieldByName(u"VAL_CAUS"_s)->asFloat());
        };
        dataSet.fieldByName(u"VAL_TOTA"_s)->OnValidate = [](tavrel::Field& field) {
            if (field.asFloat() < 0)
                throw ModuleError(u"El valor total no puede ser negativo"_s);
        };
        dataSet.fieldByName(u"DEP_APAC"_s)->setDisplayLabel(u"Nombre"_s);
        source.setDataSet(&dataSet);
        grid->setDataSource(&source);
        grid->setColumns({{u"COD_CONT"_s, u"Código"_s, 60, true, QColor(0xE9E9E9)},
                          {u"DEP_APAC"_s, QString(), 200, false, QColor()},
                          {u"VAL_TOTA"_s, u"Total"_s, -1, false, QColor()},
                          {u"SALDO"_s, u"Saldo"_s, -1, false, QColor()}});
        grid->setGeometry(0, 160, 600, 200);

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
        name->setDataField(u"DEP_APAC"_s);
        other->move(0, 60);
        combo->move(0, 90);
        combo->setListSource(&sourcesSource);
        combo->setKeyField(u"COD_FUEN"_s);
        combo->setListField(u"NOM_FUEN;COD_FUEN"_s);
        combo->setDataSource(&relationSource);
        combo->setDataField(u"COD_FUEN"_s);
        nav->move(0, 120);
        nav->setDataSource(&source);
        window.resize(600, 370);
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
    TTavrelDBgrid* grid = new TTavrelDBgrid(&window);
};

class TstDBControls : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        TAVREL_SKIP_WITHOUT_POSTGRES();
        db = std::make_unique<TestDatabase>(TestDatabase::Content::Schema);
    }
    void cleanupTestCase() { db.reset(); }
    void init();
    void cleanup()
    {
        f.reset();
        messages.clear();
    }
    void gridFollowsTheCursorBothWays();
    void gridKeys_data();
    void gridKeys();
    void cancellingANewLastRecordKeepsTheOthers();
    void typingEditsOnlyEditableCells();
    void refusedCellValueKeepsTheOldOne();
    void cellTextBeingTypedIsPostedWithTheRecord();
    void modelStaysConsistentThroughTheDataSetLife();
    void modelTellsTheViewOnceAfterAQuietLoop();
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
    void typeInto(int row, int column, const QString& text);
    QString cell(int row, int column) const
    {
        return grid->model()->index(row, column).data().toString();
    }
    Nav::Buttons enabledButtons() const;
    // Where the dataset stands: record number, records counted, state.
    std::tuple<int, int, DataSetState> cursor() const
    {
        return {f->dataSet.recNo(), f->dataSet.recordCount(), f->dataSet.state()};
    }

    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<ControlsForm> f;
    TTavrelDBgrid* grid = nullptr;
    ReportedErrors messages;
};

void TstDBControls::init()
{
    f = std::make_unique<ControlsForm>(*db);
    grid = f->grid;
    f->window.show();
    f->window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f->window));
    f->dataSet.open();
}

void TstDBControls::typeInto(int row, int column, const QString& text)
{
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(row, column));
    // The first key opens the cell editor, which takes the rest.
    QTest::keyClicks(grid, text.left(1));
    QWidget* editor = QApplication::focusWidget();
    if (editor == grid)
        return;
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the editor commits through a queued call
}

void TstDBControls::gridFollowsTheCursorBothWays()
{
    SClientDataSet& ds = f->dataSet;
    QCOMPARE(grid->currentIndex().row(), 0);
    ds.last();
    QCOMPARE(grid->currentIndex().row(), 2);

    const QRect second = grid->visualRect(grid->model()->index(1, Name));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(ds.recNo(), 2);
    QCOMPARE(ds.fieldByName(u"DEP_APAC"_s)->asString(), u"Horas extra"_s);

    // Reopening keeps the columns as the form set them.
    ds.close();
    ds.open();
    QCOMPARE(std::tuple(grid->columnWidth(Name), grid->currentIndex().row()), std::tuple(200, 0));
    QCOMPARE((QStringList{grid->model()->headerData(Code, Qt::Horizontal).toString(),
                          grid->model()->headerData(Name, Qt::Horizontal).toString()}),
             (QStringList{u"Código"_s, u"Nombre"_s}));
}

void TstDBControls::gridKeys_data()
{
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<QString>("answer"); // to the delete question; empty: none is asked
    QTest::addColumn<int>("recNo");
    QTest::addColumn<int>("records");
    QTest::addColumn<DataSetState>("state");

    QTest::newRow("Down moves to the next record")
        << QKeyCombination(Qt::Key_Down) << "" << 2 << 3 << DataSetState::Browse;
    QTest::newRow("Ctrl+End to the last") << QKeyCombination(Qt::ControlModifier, Qt::Key_End) << ""
                                          << 3 << 3 << DataSetState::Browse;
    QTest::newRow("PgDown as far as there are rows")
        << QKeyCombination(Qt::Key_PageDown) << "" << 3 << 3 << DataSetState::Browse;
    QTest::newRow("Insert adds an empty record in place, counted once posted")
        << QKeyCombination(Qt::Key_Insert) << "" << 0 << 3 << DataSetState::Insert;
    QTest::newRow("Ctrl+Delete answered No keeps the record")
        << QKeyCombination(Qt::ControlModifier, Qt::Key_Delete) << "No" << 1 << 3
        << DataSetState::Browse;
    QTest::newRow("Ctrl+Delete answered Sí deletes it")
        << QKeyCombination(Qt::ControlModifier, Qt::Key_Delete) << "Sí" << 1 << 2
        << DataSetState::Browse;
}

void TstDBControls::gridKeys()
{
    QFETCH(QKeyCombination, key);
    QFETCH(QString, answer);
    QFETCH(int, recNo);
    QFETCH(int, records);
    QFETCH(DataSetState, state);

    QString question;
    if (!answer.isEmpty())
        answerNextBox(answer, &question);
    grid->setFocus();
    QTest::keyClick(grid, key.key(), key.keyboardModifiers());
    if (!answer.isEmpty())
        QCOMPARE(question, u"¿Borrar el registro?"_s);
    QCOMPARE(cursor(), std::tuple(recNo, records, state));
    QCOMPARE(grid->currentIndex().row(), std::max(recNo - 1, 0));

    // Escape gives up whatever the key started.
    QTest::keyClick(grid, Qt::Key_Escape);
    QCOMPARE(f->dataSet.state(), DataSetState::Browse);
    QVERIFY(messages.isEmpty());
}

void TstDBControls::cancellingANewLastRecordKeepsTheOthers()
{
    // The view moves its current row away from the removed one by itself; the dataset,
    // still cancelling, must not be moved (and so cancelled a second time).
    f->dataSet.last();
    f->dataSet.append();
    // The grid shows the new record as a row of its own; the dataset counts it once posted.
    QCOMPARE(cursor(), std::tuple(0, 3, DataSetState::Insert));
    QCOMPARE(std::tuple(grid->model()->rowCount(), grid->currentIndex().row()), std::tuple(4, 3));
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Escape);
    QCOMPARE(cursor(), std::tuple(3, 3, DataSetState::Browse));
    QCOMPARE(grid->currentIndex().row(), 2);
}

void TstDBControls::typingEditsOnlyEditableCells()
{
    SClientDataSet& ds = f->dataSet;
    typeInto(1, Name, u"Recargo"_s);
    QCOMPARE(cursor(), std::tuple(2, 3, DataSetState::Edit));
    QCOMPARE(ds.fieldByName(u"DEP_APAC"_s)->asString(), u"Recargo"_s);
    // Moving to another row posts the edit.
    grid->setCurrentIndex(grid->model()->index(0, Name));
    QCOMPARE(ds.changeCount(), 1);

    typeInto(0, Code, u"9"_s);
    typeInto(0, Balance, u"9"_s);
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(cell(0, Code), u"1"_s);

    // The form unlocks the column while a record is edited.
    grid->setColumnReadOnly(Code, false);
    typeInto(0, Code, u"9"_s);
    QCOMPARE(ds.fieldByName(u"COD_CONT"_s)->asInteger(), 9);
    ds.cancel();

    grid->setReadOnly(true);
    typeInto(0, Name, u"X"_s);
    QTest::keyClick(grid, Qt::Key_Insert);
    QCOMPARE(cursor(), std::tuple(1, 3, DataSetState::Browse));
}

void TstDBControls::refusedCellValueKeepsTheOldOne()
{
    typeInto(0, Total, u"-5"_s);
    QCOMPARE(messages, QStringList{u"El valor total no puede ser negativo"_s});
    QCOMPARE(std::tuple(f->dataSet.fieldByName(u"VAL_TOTA"_s)->asFloat(), cell(0, Total)),
             std::tuple(1000.0, u"1.000,00"_s));
}

void TstDBControls::cellTextBeingTypedIsPostedWithTheRecord()
{
    SClientDataSet& ds = f->dataSet;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(2, Total));
    QTest::keyClick(grid, Qt::Key_9);
    QVERIFY(grid->cellEditorOpen());
    QTest::keyClicks(QApplication::focusWidget(), u"5,5"_s);
    ds.edit();
    ds.post();
    QCOMPARE(std::tuple(ds.fieldByName(u"VAL_TOTA"_s)->asFloat(), cell(2, Balance)),
             std::tuple(95.5, u"15,5"_s));
    QVERIFY(!grid->cellEditorOpen());
}

void TstDBControls::modelStaysConsistentThroughTheDataSetLife()
{
    QAbstractItemModelTester tester(grid->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    SClientDataSet& ds = f->dataSet;
    ds.close();
    QCOMPARE(std::tuple(grid->model()->rowCount(), grid->model()->columnCount()), std::tuple(0, 4));
    ds.open();
    ds.insert();
    QCOMPARE(grid->model()->rowCount(), 4);
    ds.fieldByName(u"DEP_APAC"_s)->setValue(u"Nuevo"_s);
    QCOMPARE(cell(0, Name), u"Nuevo"_s);
    ds.post();
    ds.append();
    ds.cancel();
    ds.last();
    ds.deleteRecord();
    QCOMPARE(grid->model()->rowCount(), 3);
    f->source.setDataSet(nullptr);
    QCOMPARE(grid->model()->rowCount(), 0);
    QVERIFY(messages.isEmpty());
}

void TstDBControls::modelTellsTheViewOnceAfterAQuietLoop()
{
    SClientDataSet& ds = f->dataSet;
    QSignalSpy spy(grid->dataModel(), &DataSetTableModel::currentRowChanged);
    ds.disableControls();
    ds.first();
    ds.next();
    QCOMPARE(spy.count(), 0);
    ds.enableControls();
    QCOMPARE(spy, QList<QVariantList>{{1}});
}

void TstDBControls::showsDisplayTextInBrowseAndPlainTextWhileEditing()
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

void TstDBControls::typedTextReachesTheField_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("on Enter") << "enter";
    QTest::newRow("when the focus moves on") << "focus";
    QTest::newRow("when the record is posted") << "post";
}

void TstDBControls::typedTextReachesTheField()
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

void TstDBControls::refusedTextComesBack()
{
    SClientDataSet& ds = f->dataSet;
    f->total->setFocus();
    f->total->selectAll();
    QTest::keyClicks(f->total, u"-3"_s);
    QTest::keyClick(f->total, Qt::Key_Return);
    QCOMPARE(messages, QStringList{u"El valor total no puede ser negativo"_s});
    QCOMPARE(std::tuple(f->total->text(), ds.fieldByName(u"VAL_TOTA"_s)->asFloat()),
             std::tuple(u"1000"_s, 1000.0));

    // During a post the refusal stops it and the record stays in Edit.
    f->total->selectAll();
    QTest::keyClicks(f->total, u"mil"_s);
    QVERIFY_THROWS_EXCEPTION(ModuleError, ds.post());
    QCOMPARE(std::tuple(ds.state(), f->total->text()), std::tuple(DataSetState::Edit, u"1000"_s));

    // Escape drops what was typed.
    f->total->selectAll();
    QTest::keyClicks(f->total, u"7"_s);
    QTest::keyClick(f->total, Qt::Key_Escape);
    QCOMPARE(f->total->text(), u"1000"_s);
    QVERIFY(!f->total->pending());
}

void TstDBControls::readOnlyEditsTakeNoTyping()
{
    SClientDataSet& ds = f->dataSet;
    f->name->setReadOnly(true);
    f->name->setFocus();
    QTest::keyClicks(f->name, u"x"_s);
    QCOMPARE(std::tuple(ds.state(), f->name->text()),
             std::tuple(DataSetState::Browse, u"Sueldo básico"_s));

    f->source.setAutoEdit(false);
    f->total->setFocus();
    QTest::keyClicks(f->total, u"5"_s);
    QCOMPARE(std::tuple(ds.state(), f->total->text()),
             std::tuple(DataSetState::Browse, u"1.000,00"_s));
}

void TstDBControls::enterHookCanRefuse()
{
    QStringList entered;
    f->other->OnEnter = [&](DBEdit&) { entered << u"other"_s; };
    f->total->OnExit = [&](DBEdit&) { throw ModuleError(u"Primero indique la contabilización"_s); };
    f->total->setFocus();
    f->other->setFocus();
    QCOMPARE(entered, QStringList{u"other"_s});
    QCOMPARE(messages, QStringList{u"Primero indique la contabilización"_s});
}

void TstDBControls::lookupStoresTheKeyOfTheChosenRow()
{
    QCOMPARE(std::tuple(f->combo->currentText(), f->combo->model()->columnCount()),
             std::tuple(u"Nación"_s, 2));
    emit f->combo->activated(1);
    QCOMPARE(std::tuple(f->relation.state(), f->relation.fieldByName(u"COD_FUEN"_s)->asString(),
                        f->combo->currentText(), f->combo->keyValue()),
             std::tuple(DataSetState::Edit, u"02"_s, u"Propios"_s, QVariant(u"02"_s)));

    // Typing the first letter chooses as well.
    f->combo->setFocus();
    QTest::keyClicks(f->combo, u"N"_s);
    QCOMPARE(f->relation.fieldByName(u"COD_FUEN"_s)->asString(), u"01"_s);
    // A key that is not in the list ("1 " is not "01") shows nothing.
    f->relation.fieldByName(u"COD_FUEN"_s)->setValue(u"1"_s);
    QCOMPARE(std::tuple(f->combo->currentIndex(), f->combo->currentText()),
             std::tuple(-1, QString()));
}

void TstDBControls::lookupRefusalKeepsThePreviousChoice()
{
    f->relation.fieldByName(u"COD_FUEN"_s)->OnValidate = [](tavrel::Field&) {
        throw ModuleError(u"Fuente no permitida"_s);
    };
    emit f->combo->activated(1);
    QCOMPARE(messages, QStringList{u"Fuente no permitida"_s});
    QCOMPARE(
        std::tuple(f->combo->currentText(), f->relation.fieldByName(u"COD_FUEN"_s)->asString()),
        std::tuple(u"Nación"_s, u"01"_s));
    f->combo->setReadOnly(true);
    QVERIFY(!f->combo->selectKey(u"02"_s));
    QCOMPARE(messages.size(), 1);
}

Nav::Buttons TstDBControls::enabledButtons() const
{
    Nav::Buttons on;
    for (int bit = 0; bit < 10; ++bit) {
        const auto b = Nav::Button(1 << bit);
        if (f->nav->button(b)->isEnabled())
            on |= b;
    }
    return on;
}

void TstDBControls::navigatorButtonsFollowTheDataSet_data()
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

void TstDBControls::navigatorButtonsFollowTheDataSet()
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

void TstDBControls::navigatorDeleteAsksFirst()
{
    SClientDataSet& ds = f->dataSet;
    QString question;
    answerNextBox(u"Sí"_s, &question);
    f->nav->button(Nav::Delete)->click();
    QCOMPARE(std::tuple(question, ds.recordCount()), std::tuple(u"¿Borrar el registro?"_s, 2));

    // A new record is only dropped: nothing to ask.
    f->nav->button(Nav::Insert)->click();
    f->nav->button(Nav::Delete)->click();
    QCOMPARE(std::tuple(ds.recordCount(), ds.state()), std::tuple(2, DataSetState::Browse));
}

void TstDBControls::navigatorRefusalsAreReportedNotThrown()
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

QTEST_MAIN(TstDBControls)
#include "tst_dbcontrols.moc"
