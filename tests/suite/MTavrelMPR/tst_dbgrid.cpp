#include "DataSetFixture.h"
#include "DataSetTableModel.h"
#include "DataSource.h"
#include "TTavrelDBgrid.h"
#include "TestHelpers.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

using tavrel::DataSetState;
using tavrel::DataSetTableModel;
using tavrel::ModuleError;

// Column order of the grid under test.
enum Column
{
    Code,    // COD_CONT, read-only column
    Name,    // NOM_CONT
    Total,   // VAL_TOTA, refuses negative values
    Balance, // SALDO, calculated
};

// The concepts with a calculated balance; VAL_TOTA refuses negative values and NOM_CONT
// is labelled "Nombre".
struct GridForm : DataSetFixture
{
    GridForm()
    {
        dataSet.addField(u"SALDO"_s, tavrel::FieldType::Float, 0, tavrel::FieldKind::Calculated);
        dataSet.OnCalcFields = [](SClientDataSet& d) {
            d.fieldByName(u"SALDO"_s)
                ->setValue(d.fieldByName(u"VAL_TOTA"_s)->asFloat() -
                           d.fieldByName(u"VAL_CAUS"_s)->asFloat());
        };
        dataSet.fieldByName(u"VAL_TOTA"_s)->OnValidate = [](tavrel::Field& field) {
            if (field.asFloat() < 0)
                throw ModuleError(u"El valor total no puede ser negativo"_s);
        };
        dataSet.fieldByName(u"NOM_CONT"_s)->setDisplayLabel(u"Nombre"_s);
        source.setDataSet(&dataSet);
        grid.setDataSource(&source);
        grid.setColumns({{u"COD_CONT"_s, u"Código"_s, 60, true, QColor(0xE9E9E9)},
                         {u"NOM_CONT"_s, QString(), 200, false, QColor()},
                         {u"VAL_TOTA"_s, u"Total"_s, -1, false, QColor()},
                         {u"SALDO"_s, u"Saldo"_s, -1, false, QColor()}});
        grid.resize(600, 200);
    }

    tavrel::DataSource source;
    TTavrelDBgrid grid;
};

class TstDBGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup()
    {
        f.reset();
        messages.clear();
    }
    void followsTheCursorBothWays();
    void keys_data();
    void keys();
    void cancellingANewLastRecordKeepsTheOthers();
    void typingEditsOnlyEditableCells();
    void refusedCellValueKeepsTheOldOne();
    void cellTextBeingTypedIsPostedWithTheRecord();
    void rowColours();
    void modelStaysConsistentThroughTheDataSetLife();
    void modelTellsTheViewOnceAfterAQuietLoop();

private:
    void typeInto(int row, int column, const QString& text);
    QString cell(int row, int column) const
    {
        return grid->model()->index(row, column).data().toString();
    }

    std::unique_ptr<GridForm> f;
    TTavrelDBgrid* grid = nullptr;
    ReportedErrors messages;
};

void TstDBGrid::init()
{
    f = std::make_unique<GridForm>();
    grid = &f->grid;
    grid->show();
    grid->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(grid));
    f->dataSet.open();
}

void TstDBGrid::typeInto(int row, int column, const QString& text)
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

void TstDBGrid::followsTheCursorBothWays()
{
    SClientDataSet& ds = f->dataSet;
    QCOMPARE(grid->currentIndex().row(), 0);
    ds.last();
    QCOMPARE(grid->currentIndex().row(), 2);

    const QRect second = grid->visualRect(grid->model()->index(1, Name));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(ds.recNo(), 2);
    QCOMPARE(ds.fieldByName(u"NOM_CONT"_s)->asString(), u"Horas extra"_s);

    // Reopening keeps the columns as the form set them.
    ds.close();
    ds.open();
    QCOMPARE(grid->columnWidth(Name), 200);
    QCOMPARE(grid->model()->headerData(Code, Qt::Horizontal).toString(), u"Código"_s);
    QCOMPARE(grid->model()->headerData(Name, Qt::Horizontal).toString(), u"Nombre"_s);
    QCOMPARE(grid->currentIndex().row(), 0);
}

void TstDBGrid::keys_data()
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

void TstDBGrid::keys()
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
    QCOMPARE(f->dataSet.recNo(), recNo);
    QCOMPARE(f->dataSet.recordCount(), records);
    QCOMPARE(f->dataSet.state(), state);
    QCOMPARE(grid->currentIndex().row(), std::max(recNo - 1, 0));

    // Escape gives up whatever the key started.
    QTest::keyClick(grid, Qt::Key_Escape);
    QCOMPARE(f->dataSet.state(), DataSetState::Browse);
    QVERIFY(messages.isEmpty());
}

void TstDBGrid::cancellingANewLastRecordKeepsTheOthers()
{
    // The view moves its current row away from the removed one by itself; the dataset,
    // still cancelling, must not be moved (and so cancelled a second time).
    f->dataSet.last();
    f->dataSet.append();
    // The grid shows the new record as a row of its own; the dataset counts it once posted.
    QCOMPARE(f->dataSet.recordCount(), 3);
    QCOMPARE(f->dataSet.recNo(), 0);
    QCOMPARE(grid->model()->rowCount(), 4);
    QCOMPARE(grid->currentIndex().row(), 3);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Escape);
    QCOMPARE(f->dataSet.recordCount(), 3);
    QCOMPARE(f->dataSet.recNo(), 3);
    QCOMPARE(grid->currentIndex().row(), 2);
}

void TstDBGrid::typingEditsOnlyEditableCells()
{
    SClientDataSet& ds = f->dataSet;
    typeInto(1, Name, u"Recargo"_s);
    QCOMPARE(ds.state(), DataSetState::Edit);
    QCOMPARE(ds.recNo(), 2);
    QCOMPARE(ds.fieldByName(u"NOM_CONT"_s)->asString(), u"Recargo"_s);
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
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(ds.recordCount(), 3);
}

void TstDBGrid::refusedCellValueKeepsTheOldOne()
{
    typeInto(0, Total, u"-5"_s);
    QCOMPARE(messages, QStringList{u"El valor total no puede ser negativo"_s});
    QCOMPARE(f->dataSet.fieldByName(u"VAL_TOTA"_s)->asFloat(), 1000.0);
    QCOMPARE(cell(0, Total), u"1.000,00"_s);
}

void TstDBGrid::cellTextBeingTypedIsPostedWithTheRecord()
{
    SClientDataSet& ds = f->dataSet;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(2, Total));
    QTest::keyClick(grid, Qt::Key_9);
    QVERIFY(grid->cellEditorOpen());
    QTest::keyClicks(QApplication::focusWidget(), u"5,5"_s);
    ds.edit();
    ds.post();
    QCOMPARE(ds.fieldByName(u"VAL_TOTA"_s)->asFloat(), 95.5);
    QCOMPARE(cell(2, Balance), u"15,5"_s);
    QVERIFY(!grid->cellEditorOpen());
}

void TstDBGrid::rowColours()
{
    f->dataSet.setRecNo(3);
    const QImage image = grid->viewport()->grab().toImage();
    const auto colourAt = [&](int row, int column) {
        const QRect r = grid->visualRect(grid->model()->index(row, column));
        return QColor(image.pixel(r.center().x(), r.top() + 3));
    };
    // The style shades the current cell a little.
    const auto near = [](const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                   std::abs(a.blue() - b.blue()) <
               24;
    };
    QCOMPARE(colourAt(0, Name), grid->evenRowColor());
    QCOMPARE(colourAt(1, Name), grid->oddRowColor());
    QVERIFY(near(colourAt(2, Name), grid->currentRowColor()));
    QCOMPARE(colourAt(0, Code), QColor(0xE9E9E9));
    QVERIFY(near(colourAt(2, Code), grid->currentRowColor()));
}

void TstDBGrid::modelStaysConsistentThroughTheDataSetLife()
{
    QAbstractItemModelTester tester(grid->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    SClientDataSet& ds = f->dataSet;
    ds.close();
    QCOMPARE(grid->model()->rowCount(), 0);
    QCOMPARE(grid->model()->columnCount(), 4);
    ds.open();
    ds.insert();
    QCOMPARE(grid->model()->rowCount(), 4);
    ds.fieldByName(u"NOM_CONT"_s)->setValue(u"Nuevo"_s);
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

void TstDBGrid::modelTellsTheViewOnceAfterAQuietLoop()
{
    SClientDataSet& ds = f->dataSet;
    QSignalSpy spy(grid->dataModel(), &DataSetTableModel::currentRowChanged);
    ds.disableControls();
    ds.first();
    ds.next();
    QCOMPARE(spy.count(), 0);
    ds.enableControls();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.last().first().toInt(), 1);
}

QTEST_MAIN(TstDBGrid)
#include "tst_dbgrid.moc"
