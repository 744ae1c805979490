// The change log of a dataset on the demo database: what an applied insert, change and
// delete leave in GN_LOGCM.

#include "ChangeLogBuilder.h"
#include "DemoServerFixture.h"
#include "Field.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "SessionGlobals.h"
#include "TVDatasetLog.h"

#include <QTest>

using tavrel::ChangeLogBuilder;
using tavrel::ModuleError;

class TstChangeLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loggedValueText_data();
    void loggedValueText();
    void insertLogsEveryStoredValue();
    void changeLogsEachChangedFieldWithOldAndNewValue();
    void deleteLogsTheValuesItRemoved();
    void aRefusedChangeLogsNothing();

private:
    // Entries of one operation: "FIELD=old>new" sorted.
    QStringList entries(const QString& operation);
    std::unique_ptr<DemoServerFixture> m_fx;
    std::unique_ptr<SClientDataSet> m_relation;
    std::unique_ptr<TVDatasetLog> m_log;
};

void TstChangeLog::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
}

void TstChangeLog::init()
{
    m_fx = std::make_unique<DemoServerFixture>();
    gStCodiEmpr = QStringLiteral("1");
    gStCodiUsua = QStringLiteral("ANALISTA01");
    m_fx->db.exec(QStringLiteral("DELETE FROM GN_LOGCM"));
    m_relation = std::make_unique<SClientDataSet>();
    m_relation->setObjectName(QStringLiteral("QryVeZEZev"));
    m_relation->setProviderName(QStringLiteral("DtsPVeZEZev"));
    m_relation->setSMainTable(QStringLiteral("NM_RPCOS"));
    m_relation->setRemoteServer(&m_fx->connection);
    m_relation->setCommandText(QStringLiteral("SELECT * FROM NM_RPCOS WHERE COD_EMPR = 1 "
                                              "AND COD_CONT = 10 AND COD_CUEN = '51010101'"));
    m_relation->open();
    m_log = std::make_unique<TVDatasetLog>();
    m_log->setDataSet(m_relation.get());
}

void TstChangeLog::cleanup()
{
    m_log.reset();
    m_relation.reset();
    m_fx.reset();
    gStCodiEmpr.clear();
    gStCodiUsua.clear();
}

QStringList TstChangeLog::entries(const QString& operation)
{
    const QList<QVariantList> rows = m_fx->db.queryRows(
        QStringLiteral("SELECT CAM_CAMB, VAL_ANTE, VAL_NUEV, COD_EMPR, COD_USUA, TAB_CAMB, "
                       "FEC_CAMB FROM GN_LOGCM WHERE OPE_CAMB = :OPE"),
        {operation});
    QStringList list;
    for (const QVariantList& r : rows) {
        if (r[3].toInt() != 1 || r[4].toString() != QLatin1String("ANALISTA01") ||
            r[5].toString() != QLatin1String("NM_RPCOS") || r[6].isNull())
            list.append(QStringLiteral("wrong session or table: ") + r[3].toString() +
                        r[4].toString());
        const auto text = [](const QVariant& v) {
            return v.isNull() ? QStringLiteral("null") : v.toString();
        };
        list.append(r[0].toString() + QLatin1Char('=') + text(r[1]) + QLatin1Char('>') +
                    text(r[2]));
    }
    list.sort();
    return list;
}

void TstChangeLog::loggedValueText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("text");

    QTest::newRow("null stays null") << QVariant() << QVariant();
    QTest::newRow("decimal point, shortest form") << QVariant(1500.1) << QVariant("1500.1");
    QTest::newRow("date-time in the one canonical form")
        << QVariant(QDateTime(QDate(2013, 12, 31), QTime(23, 59, 0, 5)))
        << QVariant("2013-12-31T23:59:00.005");
    QTest::newRow("flag as S") << QVariant(true) << QVariant("S");
    QTest::newRow("binary data in base64")
        << QVariant(QByteArray("\x89PNG", 4)) << QVariant("iVBORw==");
}

void TstChangeLog::loggedValueText()
{
    QFETCH(QVariant, value);
    QFETCH(QVariant, text);
    QCOMPARE(ChangeLogBuilder::valueText(value), text);
}

void TstChangeLog::insertLogsEveryStoredValue()
{
    m_relation->append();
    m_relation->fieldByName(QStringLiteral("COD_EMPR"))->setValue(1);
    m_relation->fieldByName(QStringLiteral("COD_CONT"))->setValue(11);
    m_relation->fieldByName(QStringLiteral("COD_CUEN"))->setValue(QStringLiteral("51010301"));
    m_relation->fieldByName(QStringLiteral("VAL_TOTA"))->setValue(1500.5);
    m_relation->post();
    m_relation->applyUpdates();

    QCOMPARE(entries(QStringLiteral("I")),
             QStringList({"COD_CONT=null>11", "COD_CUEN=null>51010301", "COD_EMPR=null>1",
                          "VAL_TOTA=null>1500.5"}));
}

void TstChangeLog::changeLogsEachChangedFieldWithOldAndNewValue()
{
    const QString oldSource = m_relation->fieldByName(QStringLiteral("COD_FUEN"))->asString();
    const QString oldTotal =
        ChangeLogBuilder::valueText(m_relation->fieldByName(QStringLiteral("VAL_TOTA"))->value())
            .toString();
    m_relation->edit();
    m_relation->fieldByName(QStringLiteral("COD_FUEN"))->setValue(QStringLiteral("99"));
    m_relation->fieldByName(QStringLiteral("VAL_TOTA"))->setValue(123.25);
    m_relation->fieldByName(QStringLiteral("DEP_APAC"))
        ->setValue(m_relation->fieldByName(QStringLiteral("DEP_APAC"))->value()); // same value
    m_relation->post();
    m_relation->applyUpdates();

    QCOMPARE(entries(QStringLiteral("M")),
             QStringList({"COD_FUEN=" + oldSource + ">99", "VAL_TOTA=" + oldTotal + ">123.25"}));
    QVERIFY(entries(QStringLiteral("I")).isEmpty());
}

void TstChangeLog::deleteLogsTheValuesItRemoved()
{
    QStringList expected;
    for (tavrel::Field* f : m_relation->fields()) {
        if (!f->isNull())
            expected.append(f->fieldName() + QLatin1Char('=') +
                            ChangeLogBuilder::valueText(f->value()).toString() +
                            QStringLiteral(">null"));
    }
    expected.sort();
    m_relation->deleteRecord();
    m_relation->applyUpdates();
    QCOMPARE(entries(QStringLiteral("D")), expected);
}

void TstChangeLog::aRefusedChangeLogsNothing()
{
    // Someone else changes the rows after they were read.
    m_fx->db.exec(QStringLiteral("UPDATE NM_RPCOS SET COD_FUEN = '77' WHERE COD_EMPR = 1 AND "
                                 "COD_CONT = 10"));
    m_relation->edit();
    m_relation->fieldByName(QStringLiteral("COD_FUEN"))->setValue(QStringLiteral("99"));
    m_relation->post();
    QVERIFY_THROWS_EXCEPTION(ModuleError, m_relation->applyUpdates());
    QCOMPARE(m_fx->db.queryValue(QStringLiteral("SELECT COUNT(*) FROM GN_LOGCM")).toInt(), 0);
    QVERIFY(m_fx->messages.isEmpty());
}

QTEST_MAIN(TstChangeLog)
#include "tst_changelog.moc"
