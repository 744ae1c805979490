#include "DataSetFixture.h"
#include "DataSetTableModel.h"
#include "DataSource.h"
#include "Field.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using tavrel::DataSetState;
using tavrel::DataSetTableModel;

class TstDataSetTableModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void staysConsistentThroughTheDataSetLife();
    void showsFieldsTheWayTheyAreDisplayed();
    void editsGoThroughTheDataSet();
    void followsTheCursorBothWays();

private:
    std::unique_ptr<DataSetFixture> f;
    std::unique_ptr<tavrel::DataSource> source;
    std::unique_ptr<DataSetTableModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;
    QStringList errors;
};

void TstDataSetTableModel::init()
{
    f = std::make_unique<DataSetFixture>();
    f->dataSet.addField(QStringLiteral("SALDO"), tavrel::FieldType::Float, 0,
                        tavrel::FieldKind::Calculated);
    f->dataSet.OnCalcFields = [](SClientDataSet& ds) {
        ds.fieldByName(QStringLiteral("SALDO"))
            ->setValue(ds.fieldByName(QStringLiteral("VAL_TOTA"))->asFloat() -
                       ds.fieldByName(QStringLiteral("VAL_CAUS"))->asFloat());
    };
    f->dataSet.fieldByName(QStringLiteral("NOM_CONT"))->setDisplayLabel(QStringLiteral("Nombre"));
    source = std::make_unique<tavrel::DataSource>();
    source->setDataSet(&f->dataSet);
    model = std::make_unique<DataSetTableModel>();
    model->OnError = [this](const tavrel::ModuleError& e) { errors << e.message(); };
    tester = std::make_unique<QAbstractItemModelTester>(
        model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    model->setDataSource(source.get());
}

void TstDataSetTableModel::cleanup()
{
    tester.reset();
    model.reset();
    source.reset();
    f.reset();
    errors.clear();
}

void TstDataSetTableModel::staysConsistentThroughTheDataSetLife()
{
    SClientDataSet& ds = f->dataSet;
    QCOMPARE(model->rowCount(), 0);
    QCOMPARE(model->columnCount(), 5);
    ds.open();
    QCOMPARE(model->rowCount(), 3);
    ds.insert();
    QCOMPARE(model->rowCount(), 4);
    ds.fieldByName(QStringLiteral("NOM_CONT"))->setValue(QStringLiteral("Nuevo"));
    QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("Nuevo"));
    ds.post();
    ds.append();
    ds.cancel();
    ds.last();
    ds.deleteRecord();
    QCOMPARE(model->rowCount(), 3);
    model->setColumns({QStringLiteral("NOM_CONT"), QStringLiteral("NO_EXISTE")});
    QCOMPARE(model->columnCount(), 2);
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("NO_EXISTE"));
    ds.close();
    QCOMPARE(model->rowCount(), 0);
    ds.open();
    QCOMPARE(model->rowCount(), 3);
    source->setDataSet(nullptr);
    QCOMPARE(model->rowCount(), 0);
    QVERIFY(errors.isEmpty());
}

void TstDataSetTableModel::showsFieldsTheWayTheyAreDisplayed()
{
    f->dataSet.open();
    model->setColumnColor(1, QColor(0xE9E9E9));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Nombre"));
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("VAL_TOTA"));
    QCOMPARE(model->index(1, 2).data().toString(), QStringLiteral("250,50"));
    QCOMPARE(model->index(1, 2).data(Qt::EditRole), QVariant(250.5));
    QCOMPARE(model->index(1, 4).data().toString(), QStringLiteral("250,5"));
    QCOMPARE(model->index(0, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(0xE9E9E9));
    QVERIFY(!model->index(0, 0).data(Qt::BackgroundRole).isValid());

    QVERIFY(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
    QVERIFY2(!(model->flags(model->index(0, 4)) & Qt::ItemIsEditable), "calculated column");
    model->setColumnReadOnly(1, true);
    QVERIFY(!(model->flags(model->index(0, 1)) & Qt::ItemIsEditable));
    f->dataSet.fieldByName(QStringLiteral("VAL_TOTA"))->setReadOnly(true);
    QVERIFY(!(model->flags(model->index(0, 2)) & Qt::ItemIsEditable));
}

void TstDataSetTableModel::editsGoThroughTheDataSet()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    QVERIFY(model->setData(model->index(2, 3), QStringLiteral("30,5")));
    QCOMPARE(ds.recNo(), 3);
    QCOMPARE(ds.state(), DataSetState::Edit);
    QCOMPARE(ds.fieldByName(QStringLiteral("VAL_CAUS"))->asFloat(), 30.5);
    QCOMPARE(model->index(2, 4).data().toString(), QStringLiteral("49,5"));

    QVERIFY(!model->setData(model->index(2, 3), QStringLiteral("treinta")));
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(QLatin1String("VAL_CAUS")), qPrintable(errors.first()));
    QCOMPARE(ds.fieldByName(QStringLiteral("VAL_CAUS"))->asFloat(), 30.5);

    // Moving to another row posts the edit, as a grid does.
    QVERIFY(model->setData(model->index(0, 1), QStringLiteral("Sueldo")));
    QCOMPARE(ds.changeCount(), 1);
    QCOMPARE(model->index(2, 3).data().toString(), QStringLiteral("30,50"));
}

void TstDataSetTableModel::followsTheCursorBothWays()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    QSignalSpy spy(model.get(), &DataSetTableModel::currentRowChanged);
    ds.next();
    QCOMPARE(spy.last().first().toInt(), 1);
    QVERIFY(model->setCurrentRow(2));
    QCOMPARE(ds.recNo(), 3);
    QCOMPARE(model->currentRow(), 2);

    // A loop with the controls disabled tells the view once, at the end.
    spy.clear();
    ds.disableControls();
    ds.first();
    ds.next();
    QCOMPARE(spy.count(), 0);
    ds.enableControls();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.last().first().toInt(), 1);
}

QTEST_MAIN(TstDataSetTableModel)
#include "tst_datasettablemodel.moc"
