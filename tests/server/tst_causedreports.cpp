// The reports over the caused values that the application server computes without
// writing: the preview must give every relation row the sum of its movements worked out
// here, leaving the rows as they were, and the coverage must find the debit movements no
// row takes in.

#include "CausedMovements.h"
#include "CausedPreviewCall.h"
#include "Database.h"
#include "IAppServer.h"
#include "ModuleError.h"
#include "MonthlyCausedCall.h"
#include "MovementCoverageCall.h"
#include "ResultTable.h"
#include "ServerTestUtil.h"
#include "TestDatabase.h"

#include <QTest>
#include <algorithm>
#include <map>

using namespace Qt::StringLiterals;

using namespace tavrel;
using namespace tavrel::test;

namespace {

const QString kUser = u"JPEREZ"_s;

QString amount(const QVariant& v)
{
    return tavrel::isNull(v) ? u"NULL"_s : QString::number(v.toDouble(), 'f', 2);
}

// The rows in the preview's order, every stored column.
const QString kRelationRows =
    QStringLiteral("SELECT * FROM NM_RPCOS ORDER BY COD_EMPR, COD_CONT, COD_CUEN, COD_CCOS, "
                   "TVL_ROWID");

} // namespace

class TstCausedReports : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void previewGivesTheMovementsSums_data();
    void previewGivesTheMovementsSums();
    void coverageAgainstTheMovements_data();
    void coverageAgainstTheMovements();
    void monthsOfTheYearlyPath_data();
    void monthsOfTheYearlyPath();

private:
    DataPacket relationRows() { return m_server->open(u"DtsPTemporal"_s, kRelationRows, {}); }
    void setFecRpco(const QString& value);

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<IAppServer> m_server;
};

void TstCausedReports::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
    m_server = m_db->appServer(kUser);
}

void TstCausedReports::cleanupTestCase()
{
    m_server.reset();
    m_db.reset();
}

void TstCausedReports::init()
{
    writeCausedData(*m_db);
}

void TstCausedReports::setFecRpco(const QString& value)
{
    m_db->exec(u"UPDATE NM_VARIG SET VAL_VARI = :V WHERE COD_VARI = 'FEC_RPCO'"_s, {value});
}

void TstCausedReports::previewGivesTheMovementsSums_data()
{
    QTest::addColumn<QString>("fecRpco");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("company");
    QTest::addColumn<QString>("digiDian"); // the flag of that company
    QTest::addColumn<QDateTime>("clientTime");

    // In the demo data the flag V0000017 is " S " for company 1 and absent for company 2.
    QTest::newRow("latest date, FEC_RPCO empty: rows without movement stay empty")
        << QString() << 0 << 1 << "S" << CausedClientTime;
    QTest::newRow("latest date, FEC_RPCO 0, nothing up to the client time")
        << "0" << 0 << 2 << "N" << at(2012, 6, 1);
    QTest::newRow("year of FEC_RPCO, company 1's flag sums VAL_TRAN")
        << "2013" << 0 << 1 << "S" << CausedClientTime;
    QTest::newRow("year of FEC_RPCO, company 2 without the flag sums VAL_CAUC")
        << "2013" << 0 << 2 << "N" << CausedClientTime;
    QTest::newRow("a year given overrides an empty FEC_RPCO")
        << QString() << 2014 << 2 << "N" << CausedClientTime;
}

void TstCausedReports::previewGivesTheMovementsSums()
{
    QFETCH(QString, fecRpco);
    QFETCH(int, year);
    QFETCH(int, company);
    QFETCH(QString, digiDian);
    QFETCH(QDateTime, clientTime);
    setFecRpco(fecRpco);
    const DataPacket before = relationRows();

    const CausedPreviewReply reply =
        CausedPreviewCall::call(*m_server, {company, year, clientTime});
    const ResultTable& preview = reply.rows;
    // The yearly path sums VAL_TRAN only where the company's flag says so.
    const bool yearly = year > 0 || fecRpco.toInt() > 0;
    QCOMPARE(reply.yearly, yearly);
    QCOMPARE(reply.summedColumn, yearly && digiDian == u"S"_s ? u"VAL_TRAN"_s : u"VAL_CAUC"_s);
    if (yearly)
        QCOMPARE(reply.end, at(year > 0 ? year : fecRpco.toInt(), 12, 31));
    const DataPacket unchanged = relationRows();
    QVERIFY2(unchanged == before, qPrintable(test::packetDifference(unchanged, before)));

    // The stored columns are shown as they are, in the order of the rows read here.
    QCOMPARE(preview.rows.size(), before.rows.size());
    for (int r = 0; r < before.rows.size(); ++r) {
        for (int c = 0; c < before.columns.size(); ++c)
            QCOMPARE(preview.value(r, before.columns[c].name), before.rows[r][c]);
    }

    // The yearly path from 1 January to 31 December at 00:00, rows without a debit at 0;
    // the latest-date path on the one latest date, rows without a debit left empty.
    const int inYear = year > 0 ? year : fecRpco.toInt();
    const QDateTime date = latestDate(clientTime);
    const auto counts = [&](const QDateTime& when) {
        return inYear > 0 ? when >= at(inYear, 1, 1) && when <= at(inYear, 12, 31) : when == date;
    };
    for (int r = 0; r < preview.rows.size(); ++r) {
        const MovementKey key{preview.value(r, u"COD_EMPR"_s).toInt(),
                              preview.value(r, u"COD_CCOS"_s),
                              preview.value(r, u"COD_CONT"_s).toInt(),
                              preview.value(r, u"COD_CUEN"_s).toString().trimmed()};
        const QVariant sum = expectedCaused(key, counts, inYear > 0 && digiDian == "S");
        QCOMPARE(key.text() + ": " + amount(preview.value(r, u"VAL_CAUS_NUEVO"_s)),
                 key.text() + ": " + amount(inYear > 0 && sum.isNull() ? QVariant(0.0) : sum));
    }
}

void TstCausedReports::coverageAgainstTheMovements_data()
{
    QTest::addColumn<QString>("fecRpco");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("expectedYear"); // 0: refused

    QTest::newRow("year given; 31 December at 23:59 and credits are left out")
        << QString() << 2013 << 2013;
    QTest::newRow("year of FEC_RPCO") << "2014" << 0 << 2014;
    QTest::newRow("FEC_RPCO names no year and none is given") << "0" << 0 << 0;
}

void TstCausedReports::coverageAgainstTheMovements()
{
    QFETCH(QString, fecRpco);
    QFETCH(int, year);
    QFETCH(int, expectedYear);
    setFecRpco(fecRpco);

    MovementCoverageReply reply;
    try {
        reply = MovementCoverageCall::call(*m_server, {year});
        QVERIFY2(expectedYear > 0, "no year, but the coverage ran");
    } catch (const ModuleError& e) {
        QVERIFY2(expectedYear == 0 && e.message().contains(u"indique el año"_s),
                 qPrintable(e.message()));
        return;
    }
    // Independently: debit, inside the year's bounds, and no relation row of that key.
    struct Sums
    {
        qint64 n = 0;
        double cauc = 0, tran = 0;
    };
    std::map<QString, Sums> expected;
    Sums expectedTotal;
    const QDateTime first = at(expectedYear, 1, 1), last = at(expectedYear, 12, 31);
    for (const Movement& m : causedMovements()) {
        const bool related = std::any_of(causedRelations().begin(), causedRelations().end(),
                                         [&](const auto& r) { return r.first.matches(m.key); });
        if (m.nature != 'D' || related || m.when < first || m.when > last)
            continue;
        for (Sums* s : {&expected[m.key.text()], &expectedTotal}) {
            ++s->n;
            s->cauc += m.cauc;
            s->tran += m.tran;
        }
    }
    QCOMPARE(reply.start, first);
    const ResultTable& groups = reply.groups;
    std::map<QString, Sums> found;
    Sums foundTotal;
    for (int r = 0; r < groups.rows.size(); ++r) {
        const MovementKey k{groups.value(r, u"COD_EMPR"_s).toInt(), groups.value(r, u"COD_CCOS"_s),
                            groups.value(r, u"COD_CONT"_s).toInt(),
                            groups.value(r, u"COD_CUEN"_s).toString()};
        const Sums s{groups.value(r, u"MOVIMIENTOS"_s).toLongLong(),
                     groups.value(r, u"VAL_CAUC"_s).toDouble(),
                     groups.value(r, u"VAL_TRAN"_s).toDouble()};
        found[k.text()] = s;
        foundTotal = {foundTotal.n + s.n, foundTotal.cauc + s.cauc, foundTotal.tran + s.tran};
    }
    QCOMPARE(found.size(), expected.size());
    for (const auto& [key, s] : expected) {
        QVERIFY2(found.count(key), qPrintable(key));
        QCOMPARE(found[key].n, s.n);
        QCOMPARE(found[key].cauc, s.cauc);
        QCOMPARE(found[key].tran, s.tran);
    }
    QCOMPARE(foundTotal.n, expectedTotal.n);
    QCOMPARE(foundTotal.cauc, expectedTotal.cauc);
    QCOMPARE(foundTotal.tran, expectedTotal.tran);
}

void TstCausedReports::monthsOfTheYearlyPath_data()
{
    QTest::addColumn<int>("company");
    QTest::addColumn<int>("year");
    QTest::addColumn<bool>("valTran");

    QTest::newRow("company 1's flag: VAL_TRAN; 1 January counts in January, 31 December at "
                  "00:00 in December, at 23:59 nowhere")
        << 1 << 2013 << true;
    QTest::newRow("company 2 without the flag: VAL_CAUC; only June counts, its 31 December "
                  "at 23:59 being out")
        << 2 << 2013 << false;
    QTest::newRow("a movement after the client time still counts in its month (February)")
        << 1 << 2014 << true;
}

void TstCausedReports::monthsOfTheYearlyPath()
{
    QFETCH(int, company);
    QFETCH(int, year);
    QFETCH(bool, valTran);

    const MonthlyCausedReply reply = MonthlyCausedCall::call(*m_server, {company, year});
    QCOMPARE(reply.summedColumn, valTran ? u"VAL_TRAN"_s : u"VAL_CAUC"_s);
    // What the yearly update writes, from its statements run and rolled back.
    const ResultTable update =
        CausedPreviewCall::call(*m_server, {company, year, CausedClientTime}).rows;
    const auto keyOf = [](const ResultTable& t, int r) {
        return MovementKey{t.value(r, u"COD_EMPR"_s).toInt(), t.value(r, u"COD_CCOS"_s),
                           t.value(r, u"COD_CONT"_s).toInt(),
                           t.value(r, u"COD_CUEN"_s).toString().trimmed()};
    };
    const ResultTable& rows = reply.rows;
    int companyRows = 0;
    for (const auto& relation : causedRelations())
        companyRows += relation.first.empr == company;
    QCOMPARE(rows.rows.size(), companyRows);
    for (int r = 0; r < rows.rows.size(); ++r) {
        const MovementKey key = keyOf(rows, r);
        double sum = 0;
        for (int m = 1; m <= 12; ++m) {
            const QDateTime first = at(year, m, 1);
            const QDateTime next = m == 12 ? at(year + 1, 1, 1) : at(year, m + 1, 1);
            const auto inMonth = [&](const QDateTime& when) {
                return when >= first && when < next && when <= at(year, 12, 31);
            };
            const double found = rows.value(r, u"M%1"_s.arg(m, 2, 10, QChar(u'0'))).toDouble();
            QCOMPARE(key.text() + u' ' + amount(found),
                     key.text() + u' ' + amount(expectedCaused(key, inMonth, valTran).toDouble()));
            sum += found;
        }
        for (int u = 0; u < update.rows.size(); ++u) {
            if (keyOf(update, u).text() == key.text())
                QCOMPARE(amount(sum), amount(update.value(u, u"VAL_CAUS_NUEVO"_s)));
        }
    }
}

QTEST_GUILESS_MAIN(TstCausedReports)
#include "tst_causedreports.moc"
