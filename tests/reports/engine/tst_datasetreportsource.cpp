#include "DataSetReportSource.h"
#include "Field.h"
#include "ModuleError.h"
#include "SClientDataSet.h"

#include <QSignalSpy>
#include <QTest>

using tavrel::FieldKind;
using tavrel::FieldType;
using tavrel::report::DataSetReportSource;

// A client dataset walked by the report engine: three rows of a name, an amount with the
// money format, a calculated double of it and a picture; the cursor stands on row 2.
class TstDataSetReportSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void textsAreThoseTheDataSetShows_data();
    void textsAreThoseTheDataSetShows();
    void picturesComeAsBytes();
    void walkIsHiddenFromControlsAndEndsOnTheStartingRow();
    void closedDataSetIsRefusedByName();

private:
    std::unique_ptr<SClientDataSet> m_dataSet;
};

void TstDataSetReportSource::init()
{
    m_dataSet = std::make_unique<SClientDataSet>();
    m_dataSet->setObjectName(QStringLiteral("QryRubros"));
    m_dataSet->addField(QStringLiteral("NOMBRE"), FieldType::String, 40);
    m_dataSet->addField(QStringLiteral("VALOR"), FieldType::Float)
        ->setDisplayFormat(QStringLiteral("#,##.00"));
    m_dataSet->addField(QStringLiteral("DOBLE"), FieldType::Float, 0, FieldKind::Calculated)
        ->setDisplayFormat(QStringLiteral("#,##.00"));
    m_dataSet->addField(QStringLiteral("FOTO"), FieldType::Blob);
    m_dataSet->OnCalcFields = [](SClientDataSet& ds) {
        ds.field(2)->setValue(ds.field(1)->asFloat() * 2);
    };
    m_dataSet->createDataSet();
    const QList<std::pair<const char*, double>> filas{
        {"Nación", 1234567.891}, {"Propios", 2500}, {"Crédito", 0.5}};
    for (const auto& [nombre, valor] : filas) {
        m_dataSet->append();
        m_dataSet->field(0)->setValue(QString::fromUtf8(nombre));
        m_dataSet->field(1)->setValue(valor);
        m_dataSet->field(3)->setValue(QByteArray(nombre));
        m_dataSet->post();
    }
    m_dataSet->setRecNo(2);
}

void TstDataSetReportSource::textsAreThoseTheDataSetShows_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("money format with Colombian separators, no 0 before the comma")
        << QStringLiteral("VALOR")
        << QStringList{QStringLiteral("1.234.567,89"), QStringLiteral("2.500,00"),
                       QStringLiteral(",50")};
    QTest::newRow("calculated field computed for each row walked")
        << QStringLiteral("DOBLE")
        << QStringList{QStringLiteral("2.469.135,78"), QStringLiteral("5.000,00"),
                       QStringLiteral("1,00")};
    QTest::newRow("field named in another case")
        << QStringLiteral("nombre")
        << QStringList{QStringLiteral("Nación"), QStringLiteral("Propios"),
                       QStringLiteral("Crédito")};
    QTest::newRow("a field the dataset lacks is empty")
        << QStringLiteral("NADA") << QStringList{QString(), QString(), QString()};
}

void TstDataSetReportSource::textsAreThoseTheDataSetShows()
{
    QFETCH(QString, field);
    QFETCH(QStringList, texts);
    DataSetReportSource source(QStringLiteral("QryVeZezev"), *m_dataSet);
    QCOMPARE(source.hasField(field), field != u"NADA");
    QCOMPARE(source.recordCount(), 3);
    QStringList walked;
    for (source.first(); !source.eof(); source.next())
        walked << source.displayText(field);
    QCOMPARE(walked, texts);
}

void TstDataSetReportSource::picturesComeAsBytes()
{
    DataSetReportSource source(QStringLiteral("QryVeZezev"), *m_dataSet);
    source.first();
    source.next();
    QCOMPARE(source.value(QStringLiteral("FOTO")), QVariant(QByteArray("Propios")));
}

void TstDataSetReportSource::walkIsHiddenFromControlsAndEndsOnTheStartingRow()
{
    QSignalSpy moves(m_dataSet.get(), &SClientDataSet::currentRowChanged);
    {
        DataSetReportSource source(QStringLiteral("QryVeZezev"), *m_dataSet);
        for (source.first(); !source.eof(); source.next()) {
        }
        QCOMPARE(moves.count(), 0);
        QVERIFY(m_dataSet->controlsDisabled());
    }
    QVERIFY(!m_dataSet->controlsDisabled());
    QCOMPARE(m_dataSet->recNo(), 2);
    QVERIFY(!moves.isEmpty());
}

void TstDataSetReportSource::closedDataSetIsRefusedByName()
{
    m_dataSet->close();
    DataSetReportSource source(QStringLiteral("QryVeZezev"), *m_dataSet);
    QCOMPARE(source.recordCount(), 0);
    QVERIFY(source.eof());
    try {
        source.first();
        QFAIL("walked a closed dataset");
    } catch (const tavrel::ModuleError& error) {
        QVERIFY2(error.message().contains(u"QryRubros"), qPrintable(error.message()));
    }
}

QTEST_MAIN(TstDataSetReportSource)
#include "tst_datasetreportsource.moc"
