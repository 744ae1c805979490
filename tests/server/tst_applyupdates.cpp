#include "Database.h"
#include "LocalAppServer.h"
#include "ModuleError.h"
#include "ServerTestUtil.h"
#include "TestDatabase.h"

#include <QDateTime>
#include <QTest>

using namespace tavrel;
using tavrel::test::TestDatabase;

// Writing through applyUpdates; every test gets a fresh demo database.
class TstApplyUpdates : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void insertsReturnKeysAndRoundTripValues();
    void secondClientWorkingOnStaleRow_data();
    void secondClientWorkingOnStaleRow();
    void failedRowUndoesTheWholeDelta_data();
    void failedRowUndoesTheWholeDelta();
    void readOnlyProviderRefusesUpdates();

private:
    DataPacket relationRows(IAppServer& server);
    std::unique_ptr<TestDatabase> m_db;
};

namespace {

const QString relationProvider = QStringLiteral("DtsPVeZEZev");

QVariantMap originalOf(const DataPacket& packet, int row)
{
    QVariantMap map;
    for (int c = 0; c < packet.columns.size(); ++c)
        map.insert(packet.columns[c].name, packet.rows[row][c]);
    return map;
}

DeltaRow modify(const DataPacket& packet, int row, const QVariantMap& values)
{
    return {DeltaRow::Kind::Modify, packet.rowKeys[row], originalOf(packet, row), values};
}

DeltaRow remove(const DataPacket& packet, int row)
{
    return {DeltaRow::Kind::Delete, packet.rowKeys[row], originalOf(packet, row), {}};
}

DeltaRow insert(const QVariantMap& values)
{
    return {DeltaRow::Kind::Insert, -1, {}, values};
}

} // namespace

void TstApplyUpdates::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
}

void TstApplyUpdates::init()
{
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
}

void TstApplyUpdates::cleanup()
{
    m_db.reset();
}

DataPacket TstApplyUpdates::relationRows(IAppServer& server)
{
    return server.open(
        relationProvider,
        QStringLiteral("SELECT * FROM NM_RPCOS WHERE COD_EMPR = 1 ORDER BY TVL_ROWID"), {});
}

void TstApplyUpdates::insertsReturnKeysAndRoundTripValues()
{
    const auto server = m_db->appServer();
    const QDateTime stamp(QDate(2026, 3, 1), QTime(23, 59, 58, 125));
    Delta delta;
    delta.rows = {insert({{"ACT_USUA", "JPEREZ"},
                          {"ACT_HORA", stamp},
                          {"ACT_ESTA", "A"},
                          {"COD_EMPR", 1},
                          {"COD_CONT", QStringLiteral("10")}, // text is coerced to SMALLINT
                          {"COD_CUEN", "51010101"},
                          {"VAL_TOTA", 1234.56}}),
                  insert({{"COD_EMPR", 1}, {"DEP_APAC", QStringLiteral("CAFETERÍA")}})};
    const QList<qint64> keys = server->applyUpdates(relationProvider, delta);
    QCOMPARE(keys.size(), 2);
    QVERIFY(keys[0] < keys[1]);

    const DataPacket packet = server->open(
        relationProvider, QStringLiteral("SELECT * FROM NM_RPCOS WHERE TVL_ROWID = :K"),
        {Param{QStringLiteral("K"), keys[0], FieldType::LargeInt}});
    QCOMPARE(packet.rowKeys, QList<qint64>{keys[0]});
    const QVariantList& row = packet.rows.first();
    QCOMPARE(row[packet.columnIndex(QStringLiteral("ACT_HORA"))], QVariant(stamp));
    QCOMPARE(row[packet.columnIndex(QStringLiteral("COD_CONT"))], QVariant(10));
    QCOMPARE(row[packet.columnIndex(QStringLiteral("VAL_TOTA"))], QVariant(1234.56));
    QVERIFY(isNull(row[packet.columnIndex(QStringLiteral("CAS_CONT"))]));
}

void TstApplyUpdates::secondClientWorkingOnStaleRow_data()
{
    QTest::addColumn<QString>("firstColumn");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("secondColumn");
    QTest::addColumn<bool>("refused");

    const int modify = int(DeltaRow::Kind::Modify);
    QTest::newRow("same column changed by both: the second is refused")
        << "VAL_TOTA" << modify << "VAL_TOTA" << true;
    QTest::newRow("a null read matches only while the value is null")
        << "VAL_CAUS" << modify << "VAL_CAUS" << true;
    QTest::newRow("deleting a row someone changed is refused")
        << "VAL_TOTA" << int(DeltaRow::Kind::Delete) << "" << true;
    QTest::newRow("another column of the same row: both changes stay")
        << "VAL_TOTA" << modify << "DEP_APAC" << false;
}

void TstApplyUpdates::secondClientWorkingOnStaleRow()
{
    QFETCH(QString, firstColumn);
    QFETCH(int, kind);
    QFETCH(QString, secondColumn);
    QFETCH(bool, refused);

    const auto first = m_db->appServer();
    const auto second = m_db->appServer();
    const DataPacket read = relationRows(*first);
    QVERIFY(relationRows(*second) == read);
    // A row whose caused value is null: the first change checks it with IS NULL.
    const int caused = read.columnIndex(QStringLiteral("VAL_CAUS"));
    const int row =
        int(std::find_if(read.rows.begin(), read.rows.end(),
                         [caused](const QVariantList& r) { return isNull(r[caused]); }) -
            read.rows.begin());
    QVERIFY(row < read.rows.size());

    first->applyUpdates(relationProvider, {{modify(read, row, {{firstColumn, 111.0}})}});

    const DeltaRow late = DeltaRow::Kind(kind) == DeltaRow::Kind::Delete
                              ? remove(read, row)
                              : modify(read, row,
                                       {{secondColumn, secondColumn == QLatin1String("DEP_APAC")
                                                           ? QVariant(QStringLiteral("OTRA"))
                                                           : QVariant(222.0)}});
    try {
        second->applyUpdates(relationProvider, {{late}});
        QVERIFY(!refused);
    } catch (const ModuleError& e) {
        QVERIFY2(refused, qPrintable(e.message()));
        QCOMPARE(e.kind(), ModuleError::Kind::Conflict);
        QVERIFY2(e.message().contains(QLatin1String("modificado o borrado por otro usuario")),
                 qPrintable(e.message()));
    }
    const QList<QVariantList> stored = m_db->queryRows(
        QStringLiteral("SELECT %1, DEP_APAC FROM NM_RPCOS WHERE TVL_ROWID = :K").arg(firstColumn),
        {read.rowKeys[row]});
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored[0][0].toDouble(), 111.0);
    QCOMPARE(stored[0][1].toString().trimmed(),
             refused ? read.rows[row][read.columnIndex(QStringLiteral("DEP_APAC"))].toString()
                     : QStringLiteral("OTRA"));
}

void TstApplyUpdates::failedRowUndoesTheWholeDelta_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("errorKind");
    QTest::addColumn<QString>("messagePart");

    QTest::newRow("16-bit code out of range")
        << "COD_PRES" << QVariant(40000) << int(ModuleError::Kind::Conversion) << "COD_PRES";
    QTest::newRow("column the table does not have")
        << "NO_EXISTE" << QVariant(1) << int(ModuleError::Kind::Refusal) << "NO_EXISTE";
    QTest::newRow("technical key cannot be assigned")
        << "TVL_ROWID" << QVariant(1) << int(ModuleError::Kind::Refusal) << "TVL_ROWID";
    // A 10-character user code in CHAR(8): PostgreSQL refuses the length, SQLite its CHECK.
    QTest::newRow("value wider than its CHAR column, on both engines")
        << "ACT_USUA" << QVariant(QStringLiteral("ANALISTA01")) << int(ModuleError::Kind::Server)
        << "";
}

void TstApplyUpdates::failedRowUndoesTheWholeDelta()
{
    QFETCH(QString, column);
    QFETCH(QVariant, value);
    QFETCH(int, errorKind);
    QFETCH(QString, messagePart);

    const auto server = m_db->appServer();
    const DataPacket before = relationRows(*server);
    Delta delta;
    delta.rows = {insert({{"COD_EMPR", 1}, {"DEP_APAC", "NUEVA"}}),
                  modify(before, 1, {{"VAL_TOTA", 1.0}}), remove(before, 2),
                  modify(before, 3, {{column, value}})};
    try {
        server->applyUpdates(relationProvider, delta);
        QFAIL("the delta was applied");
    } catch (const ModuleError& e) {
        QCOMPARE(int(e.kind()), errorKind);
        QVERIFY2(e.message().contains(messagePart), qPrintable(e.message()));
    }
    const DataPacket after = relationRows(*server);
    QVERIFY2(after == before, qPrintable(test::packetDifference(after, before)));
}

void TstApplyUpdates::readOnlyProviderRefusesUpdates()
{
    const auto server = m_db->appServer();
    try {
        server->applyUpdates(QStringLiteral("DtsPNmNccon"),
                             {{insert({{"COD_EMPR", 1}, {"COD_CONT", 99}})}});
        QFAIL("accepted");
    } catch (const ModuleError& e) {
        QVERIFY2(e.message().contains(QLatin1String("DtsPNmNccon")), qPrintable(e.message()));
    }
    QCOMPARE(m_db->queryValue(QStringLiteral("SELECT COUNT(*) FROM NM_NCCON WHERE COD_CONT = 99"))
                 .toInt(),
             0);
}

QTEST_GUILESS_MAIN(TstApplyUpdates)
#include "tst_applyupdates.moc"
