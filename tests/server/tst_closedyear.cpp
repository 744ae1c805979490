// A closed year: the archive keeps a company's relation as it stands, once, and changes
// nothing of it; two archived years compare per key; and the caused value by month adds
// up, row by row, to what the yearly update writes.

#include "AppServerFactory.h"
#include "ArchiveComparison.h"
#include "CausedPreviewCall.h"
#include "Database.h"
#include "IAppServer.h"
#include "ModuleError.h"
#include "MonthlyCausedReport.h"
#include "ServerTestUtil.h"
#include "TestDatabase.h"
#include "Thrown.h"
#include "YearArchiveCall.h"
#include "YearArchiveReport.h"

#include <QTest>
#include <cmath>

using namespace Qt::StringLiterals;

using namespace tavrel;
using namespace tavrel::test;

namespace {

const QString kRelation = u"SELECT COD_EMPR, COD_CONT, COD_CUEN, COD_CCOS, COD_FUEN, COD_PRES, "
                          "COD_SITU, DEP_APAC, VAL_TOTA, VAL_CAUS, ACT_USUA, ACT_HORA, ACT_ESTA "
                          "FROM NM_RPCOS WHERE COD_EMPR = %1 "
                          "ORDER BY COD_CONT, COD_CUEN, COD_CCOS, TVL_ROWID"_s;

QString key(const ResultTable& t, int r)
{
    QStringList parts;
    for (const char* c : {"COD_EMPR", "COD_CONT", "COD_CUEN", "COD_CCOS"})
        parts << t.value(r, QLatin1String(c)).toString().trimmed();
    return parts.join(u'/');
}

double cents(double v)
{
    return std::round(v * 100) / 100;
}

} // namespace

class TstClosedYear : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void archiveKeepsTheRelationOnce();
    void comparePutsTwoYearsSideBySide();
    void monthsAddUpToTheYearlyUpdate_data();
    void monthsAddUpToTheYearlyUpdate();
    void restrictedUserReachesOnlyItsCompany();

private:
    DataPacket relation(int company)
    {
        return m_server->open(u"DtsPTemporal"_s, kRelation.arg(company), {});
    }
    int archivedRows() { return m_db->queryValue(u"SELECT COUNT(*) FROM NM_RPARC"_s).toInt(); }

    std::unique_ptr<TestDatabase> m_db;
    // A session as the host opens it: the in-process server knows the login's user too.
    std::shared_ptr<IAppServer> session(const QString& user, const QString& password)
    {
        return AppServerFactory::connect(m_db->protocol(), m_db->server(), {user, password});
    }

    std::shared_ptr<IAppServer> m_server;
};

void TstClosedYear::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
}

void TstClosedYear::init()
{
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
    m_server = session(u"JPEREZ"_s, u"Tavrel2026"_s);
}

void TstClosedYear::cleanup()
{
    m_server.reset();
    m_db.reset();
}

void TstClosedYear::archiveKeepsTheRelationOnce()
{
    // A row without a caused value has a balance of 0, as the window shows it.
    m_db->exec(u"UPDATE NM_RPCOS SET VAL_CAUS = NULL WHERE COD_EMPR = 1 AND COD_CONT = 20"_s);
    const DataPacket before = relation(1);
    QVERIFY(before.rows.size() > 2);

    // Without apply: what it would archive, nothing written.
    const YearArchiveReply plan = YearArchiveCall::call(*m_server, {1, 2013, false});
    QCOMPARE(plan.applied, false);
    QCOMPARE(plan.rows, int(before.rows.size()));
    QCOMPARE(archivedRows(), 0);

    const YearArchiveReply done = YearArchiveCall::call(*m_server, {1, 2013, true});
    QCOMPARE(done.applied, true);
    QCOMPARE(done.rows, int(before.rows.size()));
    QCOMPARE(done.user, u"JPEREZ"_s); // the session's user, whatever the rows' stamps say
    QVERIFY(done.when.isValid());
    const DataPacket after = relation(1);
    QVERIFY2(after == before, qPrintable(packetDifference(after, before)));
    QCOMPARE(archivedRows(), int(before.rows.size())); // company 1's rows only

    // Read back: every column as the relation had it, the balance worked out.
    const YearArchiveReport archive = YearArchiveReport::fetch(*m_server, 1, 2013);
    QCOMPARE(archive.user, done.user);
    QCOMPARE(archive.when, done.when);
    QCOMPARE(archive.rows.rows.size(), before.rows.size());
    for (int r = 0; r < before.rows.size(); ++r) {
        for (int c = 0; c < before.columns.size(); ++c)
            QCOMPARE(archive.rows.value(r, before.columns[c].name), before.rows[r][c]);
        const QVariant total = archive.rows.value(r, u"VAL_TOTA"_s);
        const QVariant caused = archive.rows.value(r, u"VAL_CAUS"_s);
        const double balance =
            isNull(total) || isNull(caused) ? 0 : total.toDouble() - caused.toDouble();
        const QVariant kept = archive.rows.value(r, u"VAL_SALD"_s);
        QVERIFY(!isNull(kept));
        QCOMPARE(kept.toDouble(), balance);
    }

    // Once per company and year, with or without apply; another year is free.
    for (bool apply : {false, true}) {
        QVERIFY(mentions(thrownBy([&] {
                             YearArchiveCall::call(*m_server, {1, 2013, apply});
                         }),
                         {u"ya está archivada"}));
    }
    QCOMPARE(archivedRows(), int(before.rows.size()));
    QVERIFY(mentions(thrownBy([&] { YearArchiveReport::fetch(*m_server, 1, 2014); }),
                     {u"no tiene archivada la vigencia 2014"}));
    QVERIFY(mentions(thrownBy([&] {
                         YearArchiveCall::call(*m_server, {1, 0, false});
                     }),
                     {u"no es válido"}));
}

void TstClosedYear::comparePutsTwoYearsSideBySide()
{
    YearArchiveCall::call(*m_server, {2, 2013, true});
    // A year later: one row's total grows by 1000, one row goes, one is new.
    const QList<QVariantList> rows = m_db->queryRows(
        u"SELECT COD_CONT, COD_CUEN, COD_CCOS FROM NM_RPCOS WHERE COD_EMPR = 2 AND COD_CCOS IS "
        "NOT NULL ORDER BY COD_CONT, COD_CUEN, COD_CCOS"_s);
    QVERIFY(rows.size() >= 2);
    const QString where = u" WHERE COD_EMPR = 2 AND COD_CONT = :C AND COD_CUEN = :A AND "
                          "COD_CCOS = :R"_s;
    m_db->exec(u"UPDATE NM_RPCOS SET VAL_TOTA = VAL_TOTA + 1000"_s + where, rows[0]);
    m_db->exec(u"DELETE FROM NM_RPCOS"_s + where, rows[1]);
    m_db->exec(u"INSERT INTO NM_RPCOS (COD_EMPR, COD_CONT, COD_CUEN, COD_CCOS, VAL_TOTA, "
               "VAL_CAUS) VALUES (2, 999, 'NUEVA', 1, 500, 200)"_s);
    YearArchiveCall::call(*m_server, {2, 2014, true});

    const ArchiveComparison comparison(YearArchiveReport::fetch(*m_server, 2, 2013),
                                       YearArchiveReport::fetch(*m_server, 2, 2014));
    int both = 0;
    for (const ArchiveComparison::Line& l : comparison.lines()) {
        const auto same = [&l](const QVariantList& row) {
            return l.payrollConcept.toInt() == row[0].toInt() &&
                   l.account.toString() == row[1].toString().trimmed() &&
                   l.related.toInt() == row[2].toInt();
        };
        const double growth = l.second.total - l.first.total;
        if (same(rows[0])) {
            QCOMPARE(growth, 1000.0);
            QCOMPARE(l.second.balance - l.first.balance, 1000.0);
        } else if (same(rows[1])) {
            QVERIFY(l.inFirst && !l.inSecond);
            QCOMPARE(l.second.total, 0.0);
        } else if (l.payrollConcept.toInt() == 999) {
            QVERIFY(!l.inFirst && l.inSecond);
            QCOMPARE(growth, 500.0);
            QCOMPARE(l.second.balance, 300.0);
        } else {
            QCOMPARE(growth, 0.0);
        }
        both += l.inFirst && l.inSecond;
    }
    QCOMPARE(comparison.lines().size(), both + 2);
}

void TstClosedYear::monthsAddUpToTheYearlyUpdate_data()
{
    QTest::addColumn<int>("company");
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("summed");

    // In the demo data the flag V0000017 is "S" for company 1 only; FEC_RPCO is 2013.
    QTest::newRow("company 1 sums VAL_TRAN") << 1 << 2013 << "VAL_TRAN";
    QTest::newRow("company 2 sums VAL_CAUC") << 2 << 2013 << "VAL_CAUC";
    QTest::newRow("another year of the demo's movements") << 2 << 2014 << "VAL_CAUC";
    QTest::newRow("no year: FEC_RPCO's") << 1 << 0 << "VAL_TRAN";
}

void TstClosedYear::monthsAddUpToTheYearlyUpdate()
{
    QFETCH(int, company);
    QFETCH(int, year);
    QFETCH(QString, summed);

    const MonthlyCausedReport months = MonthlyCausedReport::fetch(*m_server, company, year);
    QCOMPARE(months.summedColumn, summed);
    QCOMPARE(months.year(), year > 0 ? year : 2013);
    // The yearly update's own figures, from its statements run and rolled back.
    const ResultTable update =
        CausedPreviewCall::call(*m_server, {company, months.year(), QDateTime()}).rows;
    QHash<QString, double> written;
    for (int r = 0; r < update.rows.size(); ++r)
        written.insert(key(update, r), update.value(r, u"VAL_CAUS_NUEVO"_s).toDouble());
    QCOMPARE(months.rows.rows.size(), int(relation(company).rows.size()));
    double grand = 0;
    int withMovements = 0;
    for (int r = 0; r < months.rows.rows.size(); ++r) {
        double sum = 0;
        for (double m : months.months(r))
            sum += m;
        grand += sum;
        withMovements += sum != 0;
        QCOMPARE(key(months.rows, r) + u' ' + QString::number(cents(sum), 'f', 2),
                 key(months.rows, r) + u' ' +
                     QString::number(cents(written.value(key(months.rows, r))), 'f', 2));
    }
    QVERIFY(withMovements > 0);
    // The classifications regroup the same figures.
    double grouped = 0;
    for (const MonthlyCausedReport::Classification& c : months.classifications()) {
        for (double m : c.months)
            grouped += m;
    }
    QCOMPARE(cents(grouped), cents(grand));
}

// Through the network server, a user of company 2 alone.
void TstClosedYear::restrictedUserReachesOnlyItsCompany()
{
    if (!TestDatabase::isRemote())
        QSKIP("the network server checks the session's companies");
    // The archive is a company table like the others: its rows are the session's
    // companies' only, also for the owner of the tables' own policies.
    QCOMPARE(m_db->queryValue(u"SELECT relrowsecurity FROM pg_class WHERE relname = 'nm_rparc'"_s)
                 .toBool(),
             true);
    YearArchiveCall::call(*m_server, {1, 2013, true});
    const std::unique_ptr<IAppServer> restricted = m_db->appServer(u"MGOMEZ"_s, u"Nomina2026"_s);
    const QString refusal = u"no tiene acceso a la empresa 1"_s;
    QVERIFY(mentions(thrownBy([&] {
                         YearArchiveCall::call(*restricted, {1, 2014, true});
                     }),
                     {refusal}));
    QVERIFY(mentions(thrownBy([&] { YearArchiveReport::fetch(*restricted, 1, 2013); }), {refusal}));
    QVERIFY(
        mentions(thrownBy([&] { MonthlyCausedReport::fetch(*restricted, 1, 2013); }), {refusal}));
    // Its own company it archives and reads; company 1's archive stays as it was.
    const int before = archivedRows();
    QCOMPARE(YearArchiveCall::call(*restricted, {2, 2013, true}).user, u"MGOMEZ"_s);
    QCOMPARE(YearArchiveReport::fetch(*restricted, 2, 2013).rows.rows.size(),
             relation(2).rows.size());
    QCOMPARE(archivedRows(), before + int(relation(2).rows.size()));
    QVERIFY(!MonthlyCausedReport::fetch(*restricted, 2, 2013).rows.rows.isEmpty());
}

QTEST_GUILESS_MAIN(TstClosedYear)
#include "tst_closedyear.moc"
