// The query-by-example button on the demo database: typed criteria narrow the rows, the
// framework's restriction stays, failures keep what the user saw.

#include "DemoServerFixture.h"
#include "Field.h"
#include "ModalDriver.h"
#include "ModuleError.h"
#include "QbeCriteriaDialog.h"
#include "SClientDataSet.h"
#include "TVSDBQbe.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

using tavrel::ModuleError;
using tavrel::QbeCriterion;
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
    void aDayIncludesItsLastMinute_data();
    void aDayIncludesItsLastMinute();
    void aFailedQueryKeepsTheRowsShown();
    void refrescarDecidesWhetherTheSameQueryIsReadAgain();
    void criteriaWindowRunsTheQuery();

private:
    std::unique_ptr<SClientDataSet> dataSet(const QString& sql);
    static QString values(SClientDataSet& ds, const QString& field);

    std::unique_ptr<DemoServerFixture> m_fx;
};

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
    ds->setObjectName(QStringLiteral("CdsTmp"));
    ds->setProviderName(QStringLiteral("DtsPTemporal"));
    ds->setRemoteServer(&m_fx->connection);
    ds->setCommandText(sql);
    return ds;
}

// The field's values of every row, sorted, joined with commas.
QString TstQbe::values(SClientDataSet& ds, const QString& field)
{
    QStringList list;
    const int index = ds.fieldByName(field)->index();
    for (int row = 0; row < ds.recordCount(); ++row)
        list.append(ds.valueAt(row, index).toString());
    std::sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return list.join(QLatin1Char(','));
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
    QTest::newRow("accented letters match their capitals")
        << "NOM_CONT" << QbeOperator::Contains << "bonificación"
        << "30";
    QTest::newRow("start of the name") << "NOM_CONT" << QbeOperator::StartsWith << "aux"
                                       << "60";
    QTest::newRow("a number range") << "COD_CONT" << QbeOperator::GreaterOrEqual << "50"
                                    << "50,60,70";
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

    auto ds = dataSet(QStringLiteral(
        "SELECT COD_CONT, NOM_CONT, CAM_RELA FROM NM_NCCON WHERE COD_EMPR = :P_COD_EMPR\n"));
    ds->paramByName(QStringLiteral("P_COD_EMPR")).value = 1;
    TVSDBQbe qbe;
    qbe.setTag(1);
    qbe.setSQLUpperCase(true);
    qbe.SetDataset(ds.get());
    qbe.Inicializar(true);

    QbeCriterion c{field, field, ds->fieldByName(field)->dataType(), op, value};
    qbe.applyCriteria({c});
    QVERIFY(ds->active());
    QCOMPARE(values(*ds, QStringLiteral("COD_CONT")), codes);
    QCOMPARE(ds->paramByName(QStringLiteral("P_COD_EMPR")).value.toInt(), 1);
}

void TstQbe::restrictionCombinesWithCriteria()
{
    auto ds = dataSet(QStringLiteral("SELECT * FROM NM_NCCON"));
    TVSDBQbe qbe;
    qbe.SetDataset(ds.get());
    qbe.setBaseCondition(QStringLiteral("COD_EMPR = 2"));
    qbe.setSQLUpperCase(true);
    qbe.Inicializar(true);
    QCOMPARE(values(*ds, QStringLiteral("COD_CONT")), QStringLiteral("10,20,40,50"));

    qbe.applyCriteria({{QStringLiteral("NOM_CONT"), QString(), tavrel::FieldType::FixedChar,
                        QbeOperator::Contains, QStringLiteral("prima")}});
    QCOMPARE(values(*ds, QStringLiteral("COD_CONT")), QStringLiteral("20"));
    QCOMPARE(values(*ds, QStringLiteral("COD_EMPR")), QStringLiteral("2"));

    qbe.Vquery(QStringLiteral(" WHERE COD_CONT = 10"));
    QCOMPARE(values(*ds, QStringLiteral("COD_EMPR")), QStringLiteral("2"));
}

void TstQbe::aDayIncludesItsLastMinute_data()
{
    QTest::addColumn<QbeOperator>("op");
    QTest::addColumn<QString>("amounts");

    // Movement 1 is at 23:59 on 3 February 2014, movement 2 at midnight the next day.
    QTest::newRow("on the 3rd: 23:59 only") << QbeOperator::Equal << "1";
    QTest::newRow("after the 3rd: from midnight on") << QbeOperator::Greater << "2";
    QTest::newRow("up to the 3rd: its last minute too") << QbeOperator::LessOrEqual << "1";
    QTest::newRow("not on the 3rd") << QbeOperator::NotEqual << "2";
}

void TstQbe::aDayIncludesItsLastMinute()
{
    QFETCH(QbeOperator, op);
    QFETCH(QString, amounts);

    auto ds = dataSet(QStringLiteral(
        "SELECT FEC_PROC, VAL_TRAN FROM NM_NCMOV WHERE COD_EMPR = 3 AND COD_CCOS = 999"));
    TVSDBQbe qbe;
    qbe.setTag(1);
    qbe.setDateFormat(QStringLiteral("dd/MM/yyyy"));
    qbe.SetDataset(ds.get());
    qbe.applyCriteria({{QStringLiteral("FEC_PROC"), QString(), tavrel::FieldType::DateTime, op,
                        QStringLiteral("03/02/2014")}});
    QCOMPARE(values(*ds, QStringLiteral("VAL_TRAN")), amounts);
}

void TstQbe::aFailedQueryKeepsTheRowsShown()
{
    auto ds = dataSet(QStringLiteral("SELECT * FROM NM_NCCON WHERE COD_EMPR = 1"));
    TVSDBQbe qbe;
    qbe.setTag(1);
    qbe.SetDataset(ds.get());
    qbe.Vquery(QStringLiteral(" AND COD_CONT < 20"));
    const QString shown = ds->commandText();

    QVERIFY_THROWS_EXCEPTION(ModuleError, qbe.Vquery(QStringLiteral(" AND NO_EXISTE = 1")));
    QVERIFY(ds->active());
    QCOMPARE(ds->commandText(), shown);
    QCOMPARE(values(*ds, QStringLiteral("COD_CONT")), QStringLiteral("10,11"));
    QCOMPARE(qbe.condition(), QStringLiteral(" AND COD_CONT < 20"));

    ds->edit();
    try {
        qbe.Vquery(QString());
        QFAIL("a query ran over a record being edited");
    } catch (const ModuleError& e) {
        QVERIFY(e.message().startsWith(QStringLiteral("Guarde o cancele")));
    }
    QCOMPARE(ds->state(), tavrel::DataSetState::Edit);
}

void TstQbe::refrescarDecidesWhetherTheSameQueryIsReadAgain()
{
    auto ds = dataSet(QStringLiteral("SELECT * FROM NM_GACON WHERE COD_EMPR = 3"));
    TVSDBQbe qbe;
    qbe.setTag(1);
    qbe.SetDataset(ds.get());
    qbe.Vquery(QString());
    QCOMPARE(ds->recordCount(), 1);
    m_fx->db.exec(QStringLiteral("INSERT INTO NM_GACON (COD_EMPR, COD_GAST, NOM_GAST) "
                                 "VALUES (3, 9, 'NUEVO')"));

    qbe.setRefrescar(false);
    qbe.Vquery(QString());
    QCOMPARE(ds->recordCount(), 1);
    qbe.setRefrescar(true);
    qbe.Vquery(QString());
    QCOMPARE(ds->recordCount(), 2);
}

void TstQbe::criteriaWindowRunsTheQuery()
{
    auto ds = dataSet(QStringLiteral("SELECT COD_CONT, NOM_CONT, CAM_RELA FROM NM_NCCON"));
    ds->open();
    ds->fieldByName(QStringLiteral("COD_CONT"))->setDisplayLabel(QStringLiteral("Código"));
    ds->fieldByName(QStringLiteral("NOM_CONT"))->setDisplayLabel(QStringLiteral("Nombre"));
    ds->fieldByName(QStringLiteral("CAM_RELA"))->setVisible(false);
    TVSDBQbe qbe;
    qbe.setSQLUpperCase(true);
    qbe.SetDataset(ds.get());

    bool hiddenFieldOffered = true;
    bool refusedStaysOpen = false;
    whenModalShows<tavrel::QbeCriteriaDialog>([&](tavrel::QbeCriteriaDialog* dialog) {
        hiddenFieldOffered = dialog->valueEdit(QStringLiteral("CAM_RELA")) != nullptr;
        dialog->valueEdit(QStringLiteral("COD_CONT"))->setText(QStringLiteral("diez"));
        dialog->findChild<QPushButton*>(QStringLiteral("aceptar"))->click();
        refusedStaysOpen = dialog->isVisible();
        dialog->valueEdit(QStringLiteral("COD_CONT"))->clear();
        dialog->operatorBox(QStringLiteral("NOM_CONT"))->setCurrentText(QStringLiteral("contiene"));
        dialog->valueEdit(QStringLiteral("NOM_CONT"))->setText(QStringLiteral("sueldo"));
        if (!qEnvironmentVariableIsEmpty("TAVREL_SNAPSHOTS"))
            dialog->grab().save(qEnvironmentVariable("TAVREL_SNAPSHOTS") + "/qbe_criteria.png");
        dialog->findChild<QPushButton*>(QStringLiteral("aceptar"))->click();
    });
    qbe.click();

    QVERIFY(!hiddenFieldOffered);
    QVERIFY(refusedStaysOpen);
    QCOMPARE(m_fx->messages.size(), 1);
    QVERIFY(m_fx->messages.first().startsWith(QStringLiteral("«diez» no es un número válido para "
                                                             "«Código»")));
    QCOMPARE(values(*ds, QStringLiteral("NOM_CONT")),
             QStringLiteral("SUELDO BÁSICO,SUELDO BÁSICO,SUELDO BÁSICO PERSONAL DE PLANTA"));

    // The window opens again with the criteria of the last query.
    QString shownAgain;
    whenModalShows<tavrel::QbeCriteriaDialog>([&](tavrel::QbeCriteriaDialog* dialog) {
        shownAgain = dialog->valueEdit(QStringLiteral("NOM_CONT"))->text();
        dialog->reject();
    });
    QVERIFY(!qbe.showCriteria());
    QCOMPARE(shownAgain, QStringLiteral("sueldo"));
}

QTEST_MAIN(TstQbe)
#include "tst_qbe.moc"
