#include "Field.h"
#include "ModuleError.h"
#include "ModuloDemo.h"
#include "RowHistoryCall.h"
#include "SClientDataSet.h"

#include <QTest>

using namespace Qt::StringLiterals;

using tavrel::ModuleError;
using tavrel::RowHistoryEntry;

// The server's history of the relation, fed by the window: a row posted from its dataset
// and a caused-value run each leave one entry in the session user's name, in the same
// transaction as the change. The edit is ANALISTA01's, whom the audit column cuts to
// ANALISTA: the entry names the session's user, not the row's. The caused-value run is
// JPEREZ's, whose code fits the audit column the run writes it into.
class TstHistorial : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { TAVREL_SKIP_WITHOUT_POSTGRES(); }
    void cleanup() { f.reset(); }

    void changeIsRecordedWithItsUserAndValues_data();
    void changeIsRecordedWithItsUserAndValues();
    void changeWithoutItsHistoryIsNotMade_data();
    void changeWithoutItsHistoryIsNotMade();

private:
    // Adds 0.5 to VAL_TOTA of the demo's row 10 / 100 and posts it, or runs the caused-value
    // update of the window.
    void change(bool causedRun);
    QList<RowHistoryEntry> history();
    QList<QVariantList> relation();
    std::unique_ptr<ModuloDemo> f;
};

void TstHistorial::change(bool causedRun)
{
    if (!f) {
        f = causedRun ? std::make_unique<ModuloDemo>()
                      : std::make_unique<ModuloDemo>(u"ANALISTA01"_s, u"Analista2026"_s);
        f->abrir();
    }
    if (causedRun) {
        f->forma->ActualizarCausado();
        return;
    }
    SClientDataSet* ds = f->dtm->QryVeZEZev;
    QVERIFY(f->ubicar(10, 100));
    ds->edit();
    tavrel::Field* total = ds->fieldByName(u"VAL_TOTA"_s);
    total->setValue(total->value().toDouble() + 0.5);
    ds->post();
}

QList<RowHistoryEntry> TstHistorial::history()
{
    return tavrel::RowHistoryCall::call(*f->servidor, {1, 10, u"51010101"_s, 100}).entries;
}

QList<QVariantList> TstHistorial::relation()
{
    return f->db->queryRows(QStringLiteral("SELECT TVL_ROWID, VAL_TOTA, VAL_CAUS, ACT_USUA, "
                                           "ACT_HORA, ACT_ESTA FROM NM_RPCOS ORDER BY 1"));
}

void TstHistorial::changeIsRecordedWithItsUserAndValues_data()
{
    QTest::addColumn<bool>("causedRun");
    QTest::newRow("edit posted from the window's dataset") << false;
    QTest::newRow("caused-value run: update and clean-up in one entry") << true;
}

void TstHistorial::changeIsRecordedWithItsUserAndValues()
{
    QFETCH(bool, causedRun);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-60);
    change(causedRun);
    const QList<RowHistoryEntry> entries = history();
    QCOMPARE(entries.size(), 1);
    const RowHistoryEntry& e = entries.first();
    QCOMPARE(e.user, causedRun ? u"JPEREZ"_s : u"ANALISTA01"_s);
    QVERIFY(e.when >= before && e.when <= before.addSecs(180));
    if (causedRun) {
        QCOMPARE(e.operation, u"C"_s);
        QCOMPARE(e.rowKey, -1);
        // JPEREZ has every company: the run rewrites every row, and a row of company 1 shows
        // company 1's share of them; the clean-up after it joins its entry.
        QCOMPARE(e.rows,
                 f->db->queryValue(u"SELECT COUNT(*) FROM NM_RPCOS WHERE COD_EMPR = 1"_s).toInt());
        QVERIFY2(e.statement.startsWith(u"UPDATE NM_RPCOS SET VAL_CAUS"_s, Qt::CaseInsensitive),
                 qPrintable(e.statement));
        QVERIFY(e.emptiedToZero >= 0);
        return;
    }
    QCOMPARE(e.operation, u"M"_s);
    QVERIFY(e.rowKey > 0);
    const auto total = std::find_if(e.changes.cbegin(), e.changes.cend(),
                                    [](const auto& c) { return c.column == u"VAL_TOTA"_s; });
    QVERIFY(total != e.changes.cend());
    QCOMPARE(total->before.toDouble(), 850000000.0);
    QCOMPARE(total->after.toDouble(), 850000000.5);
}

void TstHistorial::changeWithoutItsHistoryIsNotMade_data()
{
    changeIsRecordedWithItsUserAndValues_data();
}

void TstHistorial::changeWithoutItsHistoryIsNotMade()
{
    QFETCH(bool, causedRun);
    change(causedRun); // a first change, recorded, opens the window
    const QList<QVariantList> before = relation();
    f->db->exec(u"DROP TABLE TVL_HISTORIA"_s);
    QVERIFY_THROWS_EXCEPTION(ModuleError, change(causedRun));
    QCOMPARE(relation(), before);
}

QTEST_MAIN(TstHistorial)
#include "tst_historial.moc"
