#include "CausedPreviewCall.h"
#include "IAppServer.h"
#include "ModuleError.h"
#include "RelationCheckCall.h"
#include "RowHistoryCall.h"
#include "TestDatabase.h"

#include <QTest>

using namespace tavrel;
using namespace Qt::StringLiterals;
using tavrel::test::TestDatabase;

// The consistency checks of the relation: each fires on a row made for it, in company 1 of
// the demo, and a clean row gets none.
class TstRelationChecks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { TAVREL_SKIP_WITHOUT_POSTGRES(); }
    void eachCheckFiresOnItsRowOnly_data();
    void eachCheckFiresOnItsRowOnly();
    void otherCompaniesAreRefusedOverTheNetwork();
};

void TstRelationChecks::eachCheckFiresOnItsRowOnly_data()
{
    QTest::addColumn<int>("payrollConcept");
    QTest::addColumn<QString>("account");
    QTest::addColumn<int>("related");
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("resource");
    QTest::addColumn<QString>("situation");
    QTest::addColumn<double>("caused");
    QTest::addColumn<QString>("expected"); // check:level of each warning, in order

    QTest::newRow("clean: Nación with resource 10, caused below total")
        << 10 << "51010101" << 400 << "01" << 10 << "01" << 99.0 << "";
    QTest::newRow("Propios with a resource of Nación")
        << 10 << "51010101" << 400 << "02" << 12 << "01" << 0.0 << "fuente:aviso";
    QTest::newRow("Nación with a resource of Propios")
        << 10 << "51010101" << 400 << "01" << 27 << "01" << 0.0 << "fuente:aviso";
    QTest::newRow("resource 50 belongs to neither source: only noted")
        << 10 << "51010101" << 400 << "01" << 50 << "02" << 0.0 << "fuente:nota";
    QTest::newRow("caused a cent above the total")
        << 10 << "51010101" << 400 << "01" << 10 << "01" << 100.01 << "causado:aviso";
    QTest::newRow("same keys as the demo's first row")
        << 10 << "51010101" << 100 << "01" << 10 << "01" << 0.0 << "duplicado:aviso";
    QTest::newRow("concept 99 does not exist")
        << 99 << "51010101" << 400 << "01" << 10 << "01" << 0.0 << "contabilizacion:aviso";
    QTest::newRow("concept 50 is of another related-field kind")
        << 50 << "51011501" << 400 << "01" << 10 << "01" << 0.0 << "contabilizacion:aviso";
    QTest::newRow("account of concept 20 under concept 10")
        << 10 << "51010501" << 400 << "01" << 10 << "01" << 0.0 << "cuenta:aviso";
    QTest::newRow("source \"1\" is not \"01\"")
        << 10 << "51010101" << 400 << "1" << 10 << "01" << 0.0 << "lista:aviso";
    QTest::newRow("resource 28 is no code")
        << 10 << "51010101" << 400 << "01" << 28 << "01" << 0.0 << "lista:aviso";
    QTest::newRow("situation \"03\" is no code")
        << 10 << "51010101" << 400 << "01" << 10 << "03" << 0.0 << "lista:aviso";
}

void TstRelationChecks::eachCheckFiresOnItsRowOnly()
{
    QFETCH(int, payrollConcept);
    QFETCH(QString, account);
    QFETCH(int, related);
    QFETCH(QString, source);
    QFETCH(int, resource);
    QFETCH(QString, situation);
    QFETCH(double, caused);
    QFETCH(QString, expected);

    TestDatabase db;
    db.exec(QStringLiteral("INSERT INTO NM_RPCOS (COD_EMPR, COD_CONT, COD_CUEN, COD_CCOS, "
                           "COD_FUEN, COD_PRES, COD_SITU, VAL_TOTA, VAL_CAUS) "
                           "VALUES (1, :C, :A, :R, :F, :P, :S, 100.0, :V)"),
            {payrollConcept, account, related, source, resource, situation, caused});
    const qint64 made =
        db.queryValue(QStringLiteral("SELECT MAX(TVL_ROWID) FROM NM_RPCOS")).toLongLong();
    const qint64 clean = db.queryValue(QStringLiteral("SELECT MIN(TVL_ROWID) FROM NM_RPCOS"))
                             .toLongLong(); // 10 / 51010101 / 100, Nación 10

    QStringList found;
    QStringList onClean;
    for (const RelationWarning& w : RelationCheckCall::call(*db.appServer(), {1}).warnings) {
        const QString text =
            w.check + (w.level == RelationWarning::Level::Note ? u":nota"_s : u":aviso"_s);
        if (w.rowKey == made) {
            found.append(text);
            // The row's keys travel apart from the message, each in its own field.
            QCOMPARE(QVariantList({w.payrollConcept.toInt(), w.account, w.related.toInt()}),
                     QVariantList({payrollConcept, account, related}));
            QVERIFY2(w.message.contains(QStringLiteral("contabilización %1, cuenta %2")
                                            .arg(payrollConcept)
                                            .arg(account)),
                     qPrintable(w.message));
        } else if (w.rowKey == clean) {
            onClean.append(text);
        }
    }
    QCOMPARE(found.join(u','), expected);
    // The demo's first row is clean, except when the new row repeats its keys.
    QCOMPARE(onClean.join(u','),
             expected == QLatin1String("duplicado:aviso") ? expected : QString());
}

void TstRelationChecks::otherCompaniesAreRefusedOverTheNetwork()
{
    if (!TestDatabase::isRemote())
        QSKIP("in-process the host decides which companies a user sees");
    TestDatabase db;
    auto server = db.appServer(QStringLiteral("MGOMEZ"), QStringLiteral("Nomina2026"));
    QVERIFY_THROWS_EXCEPTION(ModuleError, RelationCheckCall::call(*server, {1}));
    QVERIFY_THROWS_EXCEPTION(ModuleError,
                             RowHistoryCall::call(*server, {1, 10, u"51010101"_s, 100}));
    QVERIFY_THROWS_EXCEPTION(ModuleError, CausedPreviewCall::call(*server, {1, 2013, {}}));
}

QTEST_GUILESS_MAIN(TstRelationChecks)
#include "tst_relationchecks.moc"
