#include "DataSetReportSource.h"
#include "Field.h"
#include "ModuleError.h"
#include "SClientDataSet.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

using tavrel::FieldType;
using tavrel::report::DataSetReportSource;

// A client dataset walked by the report engine: three rows of a name and a picture; the
// cursor stands on row 2.
class TstDataSetReportSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void textsAreThoseTheDataSetShows_data();
    void textsAreThoseTheDataSetShows();
    void walkIsHiddenFromControlsAndEndsOnTheStartingRow();
    void closedDataSetIsRefusedByName();

private:
    std::unique_ptr<SClientDataSet> m_dataSet;
};

void TstDataSetReportSource::init()
{
    m_dataSet = std::make_unique<SClientDataSet>();
    m_dataSet->setObjectName(u"QryRubros"_s);
    m_dataSet->addField(u"NOMBRE"_s, FieldType::String, 40);
    m_dataSet->addField(u"FOTO"_s, FieldType::Blob);
    m_dataSet->createDataSet();
    for (const char* nombre : {"Nación", "Propios", "Crédito"}) {
        m_dataSet->append();
        m_dataSet->field(0)->setValue(QString::fromUtf8(nombre));
        m_dataSet->field(1)->setValue(QByteArray(nombre));
        m_dataSet->post();
    }
    m_dataSet->setRecNo(2);
}

void TstDataSetReportSource::textsAreThoseTheDataSetShows_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("texts");

    // Display formats and calculated fields are pinned through the relation report.
    QTest::newRow("field named in another case")
        << u"nombre"_s << QStringList{u"Nación"_s, u"Propios"_s, u"Crédito"_s};
    QTest::newRow("a field the dataset lacks is empty")
        << u"NADA"_s << QStringList{QString(), QString(), QString()};
}

void TstDataSetReportSource::textsAreThoseTheDataSetShows()
{
    QFETCH(QString, field);
    QFETCH(QStringList, texts);
    DataSetReportSource source(u"QryVeZezev"_s, *m_dataSet);
    QCOMPARE(source.hasField(field), field != u"NADA");
    QCOMPARE(source.recordCount(), 3);
    QStringList walked;
    for (source.first(); !source.eof(); source.next())
        walked << source.displayText(field);
    QCOMPARE(walked, texts);
}

void TstDataSetReportSource::walkIsHiddenFromControlsAndEndsOnTheStartingRow()
{
    QSignalSpy moves(m_dataSet.get(), &SClientDataSet::currentRowChanged);
    {
        DataSetReportSource source(u"QryVeZezev"_s, *m_dataSet);
        QVariantList pictures;
        for (source.first(); !source.eof(); source.next())
            pictures << source.value(u"FOTO"_s);
        QCOMPARE(pictures.value(1), QVariant(QByteArray("Propios"))); // blobs come as bytes
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
    DataSetReportSource source(u"QryVeZezev"_s, *m_dataSet);
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
