#include "DataSetFixture.h"
#include "DataSource.h"
#include "ErrorReporter.h"
#include "Field.h"
#include "ModalAnswer.h"
#include "ModuleError.h"
#include "TTavrelDBgrid.h"

#include <QApplication>
#include <QTest>

using tavrel::DataSetState;
using tavrel::ModuleError;

// Column order of the grid under test.
enum Column
{
    Code,    // COD_CONT, read-only column
    Name,    // NOM_CONT
    Total,   // VAL_TOTA, refuses negative values
    Balance, // SALDO, calculated
};

class TstDBGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void followsTheCursorBothWays();
    void keys_data();
    void keys();
    void cancellingANewLastRecordKeepsTheOthers();
    void typingEditsOnlyEditableCells();
    void refusedCellValueKeepsTheOldOne();
    void cellTextBeingTypedIsPostedWithTheRecord();
    void rowColours();

private:
    void typeInto(int row, int column, const QString& text);
    QString cell(int row, int column) const;

    std::unique_ptr<DataSetFixture> f;
    std::unique_ptr<tavrel::DataSource> source;
    std::unique_ptr<TTavrelDBgrid> grid;
    QStringList messages;
};

void TstDBGrid::init()
{
    f = std::make_unique<DataSetFixture>();
    SClientDataSet& ds = f->dataSet;
    ds.addField(QStringLiteral("SALDO"), tavrel::FieldType::Float, 0,
                tavrel::FieldKind::Calculated);
    ds.OnCalcFields = [](SClientDataSet& d) {
        d.fieldByName(QStringLiteral("SALDO"))
            ->setValue(d.fieldByName(QStringLiteral("VAL_TOTA"))->asFloat() -
                       d.fieldByName(QStringLiteral("VAL_CAUS"))->asFloat());
    };
    ds.fieldByName(QStringLiteral("VAL_TOTA"))->OnValidate = [](tavrel::Field& field) {
        if (field.asFloat() < 0)
            throw ModuleError(QStringLiteral("El valor total no puede ser negativo"));
    };
    source = std::make_unique<tavrel::DataSource>();
    source->setDataSet(&ds);
    grid = std::make_unique<TTavrelDBgrid>();
    grid->setDataSource(source.get());
    grid->setColumns(
        {{QStringLiteral("COD_CONT"), QStringLiteral("Código"), 60, true, QColor(0xE9E9E9)},
         {QStringLiteral("NOM_CONT"), QString(), 200, false, QColor()},
         {QStringLiteral("VAL_TOTA"), QStringLiteral("Total"), -1, false, QColor()},
         {QStringLiteral("SALDO"), QStringLiteral("Saldo"), -1, false, QColor()}});
    tavrel::ErrorReporter::setHandler(
        [this](const std::exception& e) { messages << QString::fromUtf8(e.what()); });
    grid->resize(600, 200);
    grid->show();
    grid->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(grid.get()));
    ds.open();
}

void TstDBGrid::cleanup()
{
    grid.reset();
    source.reset();
    f.reset();
    tavrel::ErrorReporter::setHandler({});
    messages.clear();
}

QString TstDBGrid::cell(int row, int column) const
{
    return grid->model()->index(row, column).data().toString();
}

void TstDBGrid::typeInto(int row, int column, const QString& text)
{
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(row, column));
    // The first key opens the cell editor, which takes the rest.
    QTest::keyClicks(grid.get(), text.left(1));
    QWidget* editor = QApplication::focusWidget();
    if (editor == grid.get())
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
    QCOMPARE(ds.fieldByName(QStringLiteral("NOM_CONT"))->asString(), QStringLiteral("Horas extra"));

    // Reopening keeps the columns as the form set them.
    ds.close();
    ds.open();
    QCOMPARE(grid->columnWidth(Name), 200);
    QCOMPARE(grid->model()->headerData(Code, Qt::Horizontal).toString(), QStringLiteral("Código"));
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
    QTest::newRow("Insert adds an empty record in place")
        << QKeyCombination(Qt::Key_Insert) << "" << 1 << 4 << DataSetState::Insert;
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
    QTest::keyClick(grid.get(), key.key(), key.keyboardModifiers());
    if (!answer.isEmpty())
        QCOMPARE(question, QStringLiteral("¿Borrar el registro?"));
    QCOMPARE(f->dataSet.recNo(), recNo);
    QCOMPARE(f->dataSet.recordCount(), records);
    QCOMPARE(f->dataSet.state(), state);
    QCOMPARE(grid->currentIndex().row(), recNo - 1);

    // Escape gives up whatever the key started.
    QTest::keyClick(grid.get(), Qt::Key_Escape);
    QCOMPARE(f->dataSet.state(), DataSetState::Browse);
    QVERIFY(messages.isEmpty());
}

void TstDBGrid::cancellingANewLastRecordKeepsTheOthers()
{
    // The view moves its current row away from the removed one by itself; the dataset,
    // still cancelling, must not be moved (and so cancelled a second time).
    f->dataSet.last();
    f->dataSet.append();
    QCOMPARE(f->dataSet.recordCount(), 4);
    grid->setFocus();
    QTest::keyClick(grid.get(), Qt::Key_Escape);
    QCOMPARE(f->dataSet.recordCount(), 3);
    QCOMPARE(f->dataSet.recNo(), 3);
    QCOMPARE(grid->currentIndex().row(), 2);
}

void TstDBGrid::typingEditsOnlyEditableCells()
{
    SClientDataSet& ds = f->dataSet;
    typeInto(1, Name, QStringLiteral("Recargo"));
    QCOMPARE(ds.state(), DataSetState::Edit);
    QCOMPARE(ds.recNo(), 2);
    QCOMPARE(ds.fieldByName(QStringLiteral("NOM_CONT"))->asString(), QStringLiteral("Recargo"));
    ds.cancel();

    typeInto(0, Code, QStringLiteral("9"));
    typeInto(0, Balance, QStringLiteral("9"));
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(cell(0, Code), QStringLiteral("1"));

    // The form unlocks the column while a record is edited.
    grid->setColumnReadOnly(Code, false);
    typeInto(0, Code, QStringLiteral("9"));
    QCOMPARE(ds.fieldByName(QStringLiteral("COD_CONT"))->asInteger(), 9);
    ds.cancel();

    grid->setReadOnly(true);
    typeInto(0, Name, QStringLiteral("X"));
    QTest::keyClick(grid.get(), Qt::Key_Insert);
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(ds.recordCount(), 3);
}

void TstDBGrid::refusedCellValueKeepsTheOldOne()
{
    typeInto(0, Total, QStringLiteral("-5"));
    QCOMPARE(messages, QStringList{QStringLiteral("El valor total no puede ser negativo")});
    QCOMPARE(f->dataSet.fieldByName(QStringLiteral("VAL_TOTA"))->asFloat(), 1000.0);
    QCOMPARE(cell(0, Total), QStringLiteral("1.000,00"));
}

void TstDBGrid::cellTextBeingTypedIsPostedWithTheRecord()
{
    SClientDataSet& ds = f->dataSet;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(2, Total));
    QTest::keyClick(grid.get(), Qt::Key_9);
    QVERIFY(grid->cellEditorOpen());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("5,5"));
    ds.edit();
    ds.post();
    QCOMPARE(ds.fieldByName(QStringLiteral("VAL_TOTA"))->asFloat(), 95.5);
    QCOMPARE(cell(2, Balance), QStringLiteral("15,5"));
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

QTEST_MAIN(TstDBGrid)
#include "tst_dbgrid.moc"
