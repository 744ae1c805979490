// The query-by-example button on the demo database: typed criteria narrow the rows, the
// framework's restriction stays, failures keep what the user saw.

#include "DemoServerFixture.h"
#include "Field.h"
#include "ModuleError.h"
#include "QbeCriteriaDialog.h"
#include "SClientDataSet.h"
#include "TVSDBQbe.h"
#include "TestHelpers.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

using tavrel::ModuleError;
using tavrel::QbeOperator;

Q_DECLARE_METATYPE(QbeOperator)

class TstQbe : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { m_fx.reset(); }
    void criteriaNarrowTheRows_data();
    void criteriaNarrowTheRows();
    void restrictionCombinesWithCriteria();
    void aDayIncludesItsLastMinute();
    void aFailedQueryKeepsTheRowsShown();
    void criteriaWindowRunsTheQuery();

private:
    std::unique_ptr<SClientDataSet> dataSet(const QString& sql);
    std::unique_ptr<DemoServerFixture> m_fx;
};

// The field's values of every row, sorted, joined with commas.
static QString values(SClientDataSet& ds, const char* field)
{
    QStringList list;
    for (int row = 0; row < ds.recordCount(); ++row)
        list.append(ds.valueAt(row, ds.fieldByName(QLatin1String(field))->index()).toString());
    std::sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return list.join(QLatin1Char(','));
}

void TstQbe::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
    m_fx = std::make_unique<DemoServerFixture>();
    const QString insert = QStringLiteral(
        "INSERT INTO NM_NCMOV (COD_EMPR, COD_CCOS, COD_CONT, COD_CUEN, FEC_PROC, NAT_TRAN, "
        "VAL_CAUC, VAL_TRAN) VALUES (3, 999, 10, 'QBE', :FEC, 'D', 0, :VAL)");
    m_fx->db.exec(insert, {QDateTime(QDate(2014, 2, 3), QTime(23, 59)), 1.0});
    m_fx->db.exec(insert, {QDateTime(QDate(2014, 2, 4), QTime(0, 0)), 2.0});
}

std::unique_ptr<SClientDataSet> TstQbe::dataSet(const QString& sql)
{
    auto ds = std::make_unique<SClientDataSet>();
    ds->setObjectName(u"CdsTmp"_s);
    ds->setProviderName(u"DtsPTemporal"_s);
    ds->setRemoteServer(&m_fx->connection);
    ds->setCommandText(sql);
    return ds;
}

void TstQbe::criteriaNarrowTheRows_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QbeOperator>("op");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("codes");

    QTest::newRow("no criterion: every concept of the company in the parameter")
        << "NOM_CONT" << QbeOperator::Equal << ""
        << "10,11,20,30,40,50,60,70";
    QTest::newRow("lower-case text finds the upper-case names")
        << "NOM_CONT" << QbeOperator::Contains << "prima"
        << "20,50";
    QTest::newRow("a quote trick matches no name")
        << "NOM_CONT" << QbeOperator::Equal << "x' OR '1'='1"
        << "";
    QTest::newRow("an underscore is no wildcard (C_D would match every COD_)")
        << "CAM_RELA" << QbeOperator::Contains << "C_D"
        << "";
}

void TstQbe::criteriaNarrowTheRows()
{
    QFETCH(QString, field);
    QFETCH(QbeOperator, op);
    QFETCH(QString, value);
    QFETCH(QString, codes);

    auto ds = dataSet(
        u"SELECT COD_CONT, NOM_CONT, CAM_RELA FROM NM_NCCON WHERE COD_EMPR = :P_COD_EMPR\n"_s);
    ds->paramByName(u"P_COD_EMPR"_s).value = 1;
    TVSDBQbe qbe;
    qbe.setTag(1);
    qbe.setSQLUpperCase(true);
    qbe.SetDataset(ds.get());
    qbe.Inicializar(true);
    qbe.applyCriteria({{field, field, ds->fieldByName(field)->dataType(), op, value}});
    QCOMPARE(values(*ds, "COD_CONT"), codes);
}

void TstQbe::restrictionCombinesWithCriteria()
{
    auto ds = dataSet(u"SELECT * FROM NM_NCCON"_s);
    TVSDBQbe qbe;
    qbe.SetDataset(ds.get());
    qbe.setBaseCondition(u"COD_EMPR = 2"_s);
    qbe.setSQLUpperCase(true);
    qbe.Inicializar(true);
    QCOMPARE(values(*ds, "COD_CONT"), u"10,20,40,50"_s);

    qbe.applyCriteria({{u"NOM_CONT"_s, QString(), tavrel::FieldType::FixedChar,
                        QbeOperator::Contains, u"prima"_s}});
    QCOMPARE(values(*ds, "COD_CONT"), u"20"_s);
    qbe.Vquery(u" WHERE COD_CONT = 10"_s);
    QCOMPARE(values(*ds, "COD_EMPR"), u"2"_s);
}

void TstQbe::aDayIncludesItsLastMinute()
{
    auto ds =
        dataSet(u"SELECT FEC_PROC, VAL_TRAN FROM NM_NCMOV WHERE COD_EMPR = 3 AND COD_CCOS = 999"_s);
    TVSDBQbe qbe;
    qbe.setTag(1);
    qbe.setDateFormat(u"dd/MM/yyyy"_s);
    qbe.SetDataset(ds.get());
    // Movement 1 is at 23:59 on 3 February 2014, movement 2 at midnight the next day.
    qbe.applyCriteria({{u"FEC_PROC"_s, QString(), tavrel::FieldType::DateTime, QbeOperator::Equal,
                        u"03/02/2014"_s}});
    QCOMPARE(values(*ds, "VAL_TRAN"), u"1"_s);
}

void TstQbe::aFailedQueryKeepsTheRowsShown()
{
    auto ds = dataSet(u"SELECT * FROM NM_NCCON WHERE COD_EMPR = 1"_s);
    TVSDBQbe qbe;
    qbe.setTag(1); // the text has its WHERE already: the restriction follows with AND
    qbe.setBaseCondition(u"COD_CONT > 10"_s);
    qbe.SetDataset(ds.get());
    qbe.Vquery(u" AND COD_CONT < 30"_s);
    const QString shown = ds->commandText();

    QVERIFY_THROWS_EXCEPTION(ModuleError, qbe.Vquery(u" AND NO_EXISTE = 1"_s));
    QCOMPARE(ds->commandText(), shown);
    QCOMPARE(values(*ds, "COD_CONT"), u"11,20"_s);

    ds->edit();
    QVERIFY_THROWS_EXCEPTION(ModuleError, qbe.Vquery(QString()));
    QCOMPARE(ds->state(), tavrel::DataSetState::Edit);
}

void TstQbe::criteriaWindowRunsTheQuery()
{
    auto ds = dataSet(u"SELECT COD_CONT, NOM_CONT, CAM_RELA FROM NM_NCCON"_s);
    ds->open();
    ds->fieldByName(u"COD_CONT"_s)->setDisplayLabel(u"Código"_s);
    ds->fieldByName(u"CAM_RELA"_s)->setVisible(false);
    TVSDBQbe qbe;
    qbe.setSQLUpperCase(true);
    qbe.SetDataset(ds.get());

    bool hiddenFieldOffered = true;
    bool refusedStaysOpen = false;
    whenModalShows<tavrel::QbeCriteriaDialog>([&](tavrel::QbeCriteriaDialog* dialog) {
        hiddenFieldOffered = dialog->valueEdit(u"CAM_RELA"_s) != nullptr;
        auto* ok = dialog->findChild<QPushButton*>(u"aceptar"_s);
        dialog->valueEdit(u"COD_CONT"_s)->setText(u"diez"_s);
        ok->click();
        refusedStaysOpen = dialog->isVisible();
        dialog->valueEdit(u"COD_CONT"_s)->clear();
        dialog->operatorBox(u"NOM_CONT"_s)->setCurrentText(u"contiene"_s);
        dialog->valueEdit(u"NOM_CONT"_s)->setText(u"sueldo"_s);
        ok->click();
    });
    qbe.click();

    QVERIFY(!hiddenFieldOffered);
    QVERIFY(refusedStaysOpen);
    QCOMPARE(m_fx->messages.size(), 1);
    QVERIFY(m_fx->messages.first().startsWith(QStringLiteral("«diez» no es un número válido para "
                                                             "«Código»")));
    QCOMPARE(values(*ds, "NOM_CONT"),
             u"SUELDO BÁSICO,SUELDO BÁSICO,SUELDO BÁSICO PERSONAL DE PLANTA"_s);

    // The window opens again with the criteria of the last query.
    QString shownAgain;
    whenModalShows<tavrel::QbeCriteriaDialog>([&](tavrel::QbeCriteriaDialog* dialog) {
        shownAgain = dialog->valueEdit(u"NOM_CONT"_s)->text();
        dialog->reject();
    });
    QVERIFY(!qbe.showCriteria());
    QCOMPARE(shownAgain, u"sueldo"_s);
}

QTEST_MAIN(TstQbe)
#include "tst_qbe.moc"
