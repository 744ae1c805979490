#include "Database.h"
#include "IAppServer.h"
#include "ModuleError.h"
#include "ServerTestUtil.h"
#include "TestDatabase.h"
#include "Thrown.h"

#include <QDateTime>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace tavrel;
using tavrel::test::param;
using tavrel::test::TestDatabase;

// Reading through the providers, on one demo database that nothing changes, and writing
// through applyUpdates, each test on a fresh demo database.
class TstProviders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void providersRunTheirDatasetTexts_data();
    void providersRunTheirDatasetTexts();
    void relationPacketHidesTheTechnicalKey();
    void refusedOpensNameWhatIsWrong_data();
    void refusedOpensNameWhatIsWrong();
    void packetsAreIdenticalOnBothEngines_data();
    void packetsAreIdenticalOnBothEngines();
    void insertsReturnKeysAndRoundTripValues();
    void failedRowUndoesTheWholeDelta_data();
    void failedRowUndoesTheWholeDelta();
    void readOnlyProviderRefusesUpdates();

private:
    DataPacket relationRows(IAppServer& server);
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TestDatabase> m_fresh; // of the writing test
    std::unique_ptr<IAppServer> m_server;
};

void TstProviders::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
    m_server = m_db->appServer();
}

void TstProviders::cleanupTestCase()
{
    m_server.reset();
    m_db.reset();
    m_fresh.reset();
}

namespace {

const char* const digifText = "SELECT VAL_VARI, TIP_DATO\n"
                              "FROM GN_DIGIF\n"
                              "WHERE (COD_VARI = :PCODVARI)\n"
                              "  AND (PAI_VARI = :PCODPAIS OR PAI_VARI = 0)\n"
                              "  AND (\n"
                              "    EXISTS (\n"
                              "      SELECT DISTINCT 1 FROM GN_EMPRE\n"
                              "      WHERE COD_EMPR = :PCODEMPR\n"
                              "        AND EMP_VARI = COD_DIFL\n"
                              "    ) OR\n"
                              "    (EMP_VARI = 0)\n"
                              "  )\n";

ParamList digifParams(int company)
{
    return {param("PCODVARI", u"V0000017"_s, FieldType::String),
            param("PCODPAIS", 169, FieldType::SmallInt),
            param("PCODEMPR", company, FieldType::SmallInt)};
}

const QString relationProvider = u"DtsPVeZEZev"_s;

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

void TstProviders::providersRunTheirDatasetTexts_data()
{
    QTest::addColumn<QString>("provider");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<ParamList>("params");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("firstValue");

    // The module's own texts are run by its tests; these rows pin how values and names
    // come back.
    QTest::newRow("related-code list in lower case, names come back upper case")
        << "DtsPCamRela"
        << "select cod_empr, cod_tnom, nom_tnom from nm_tnomi where cod_empr = :codempr"
        << ParamList{param("codempr", 1, FieldType::Integer)} << 4 << "NOM_TNOM"
        << QVariant(u"NÓMINA MENSUAL"_s);
    QTest::newRow("flag of company 1 keeps its blanks in VARCHAR")
        << "DtsPGnDigif" << digifText << digifParams(1) << 1 << "VAL_VARI" << QVariant(u" S "_s);
    QTest::newRow("a date at 23:59 is after midnight of the same day, typed by its alias")
        << "DtsPTemporal"
        << "SELECT MAX(FEC_PROC) FEC_PROC FROM NM_NCMOV WHERE FEC_PROC <= :PDTFECPROC"
        << ParamList{param("PDTFECPROC", QDateTime(QDate(2013, 12, 31), QTime(23, 59)),
                           FieldType::DateTime)}
        << 1 << "FEC_PROC" << QVariant(QDateTime(QDate(2013, 12, 31), QTime(23, 59)));
    QTest::newRow("count without catalogue entry is a large integer")
        << "DtsPTemporal"
        << "SELECT COUNT(*) AS N FROM NM_RPCOS WHERE COD_EMPR = :E"
        << ParamList{param("E", u"1"_s, FieldType::String)} << 1 << "N" << QVariant(qlonglong(8));
}

void TstProviders::providersRunTheirDatasetTexts()
{
    QFETCH(QString, provider);
    QFETCH(QString, sql);
    QFETCH(ParamList, params);
    QFETCH(int, rows);
    QFETCH(QString, column);
    QFETCH(QVariant, firstValue);

    const DataPacket packet = m_server->open(provider, sql, params);
    QCOMPARE(packet.rows.size(), rows);
    const int c = packet.columnIndex(column);
    QVERIFY2(c >= 0, qPrintable(column));
    QCOMPARE(packet.columns[c].name, column);
    const QVariant got = packet.rows.first().at(c);
    QCOMPARE(got.typeId(), firstValue.typeId());
    QCOMPARE(got, firstValue);
}

void TstProviders::relationPacketHidesTheTechnicalKey()
{
    const DataPacket packet = m_server->open(u"DtsPVeZEZev"_s, u"SELECT * FROM NM_RPCOS\n"_s, {});
    QStringList names;
    for (const ColumnInfo& c : packet.columns)
        names.append(c.name);
    QCOMPARE(names, QStringList({"ACT_USUA", "ACT_HORA", "ACT_ESTA", "COD_EMPR", "COD_CCOS",
                                 "COD_CONT", "COD_CUEN", "COD_FUEN", "COD_PRES", "COD_SITU",
                                 "DEP_APAC", "VAL_TOTA", "VAL_CAUS", "CAS_CONT"}));
    QCOMPARE(packet.rows.size(), 14);
    QCOMPARE(packet.rowKeys.size(), 14);
    QCOMPARE(QSet<qint64>(packet.rowKeys.begin(), packet.rowKeys.end()).size(), 14);

    const ColumnInfo& account = packet.columns[packet.columnIndex(u"COD_CUEN"_s)];
    QCOMPARE(account.type, FieldType::FixedChar);
    QCOMPARE(account.size, 30);
    QCOMPARE(packet.columns[packet.columnIndex(u"COD_PRES"_s)].type, FieldType::SmallInt);
    QCOMPARE(packet.columns[packet.columnIndex(u"ACT_HORA"_s)].type, FieldType::DateTime);

    // No fixed-width value keeps padding.
    for (const QVariantList& row : packet.rows) {
        for (int c = 0; c < packet.columns.size(); ++c) {
            if (packet.columns[c].type == FieldType::FixedChar && !isNull(row[c]))
                QVERIFY2(!row[c].toString().endsWith(u' '), qPrintable(row[c].toString()));
        }
    }
}

void TstProviders::refusedOpensNameWhatIsWrong_data()
{
    QTest::addColumn<QString>("provider");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("messageParts");

    // Which texts count as one select is pinned by the text check's own test.
    const QString temporal = u"DtsPTemporal"_s;
    QTest::newRow("delete names the provider and the text")
        << temporal << "DELETE FROM NM_RPCOS" << QStringList{temporal, "DELETE FROM NM_RPCOS"};
    // Passes the text check; the engine itself must refuse it (PostgreSQL: read-only
    // transaction; SQLite: no such statement).
    QTest::newRow("select into a new table")
        << temporal << "SELECT * INTO TMP_COPIA FROM NM_RPCOS" << QStringList{};
    QTest::newRow("unknown provider") << "DtsPNoExiste"
                                      << "SELECT 1" << QStringList{"DtsPNoExiste"};
    QTest::newRow("marker without a parameter value")
        << "DtsPNmNccon"
        << "SELECT * FROM NM_NCCON WHERE COD_EMPR = :P_FALTA" << QStringList{"P_FALTA"};
    // Over the network the database's text stays in the server's log.
    QTest::newRow("the database's own message for a missing table")
        << temporal << "SELECT * FROM NM_NOEXISTE"
        << QStringList{TestDatabase::isRemote() ? "referencia" : "nm_noexiste"};
}

void TstProviders::refusedOpensNameWhatIsWrong()
{
    QFETCH(QString, provider);
    QFETCH(QString, sql);
    QFETCH(QStringList, messageParts);
    const qlonglong before = m_db->queryValue(u"SELECT COUNT(*) FROM NM_RPCOS"_s).toLongLong();
    const auto error = thrownBy([&] { m_server->open(provider, sql, {}); });
    QVERIFY(error);
    for (const QString& part : messageParts)
        QVERIFY2(error->message().contains(part, Qt::CaseInsensitive),
                 qPrintable(error->message()));
    QCOMPARE(m_db->queryValue(u"SELECT COUNT(*) FROM NM_RPCOS"_s).toLongLong(), before);
    QVERIFY(!m_db->database().tableNames().contains(u"TMP_COPIA"_s));
}

void TstProviders::packetsAreIdenticalOnBothEngines_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<ParamList>("params");

    QTest::newRow("relation rows with keys, nulls, dates and padded codes")
        << "SELECT * FROM NM_RPCOS ORDER BY TVL_ROWID" << ParamList{};
    QTest::newRow("companies with their PNG logos")
        << "SELECT * FROM GN_EMPRE ORDER BY COD_EMPR" << ParamList{};
    QTest::newRow("concepts, an empty CHAR(8) kind among them")
        << "SELECT * FROM NM_NCCON ORDER BY COD_EMPR, COD_CONT" << ParamList{};
    QTest::newRow("aggregate typed by its alias")
        << "SELECT MAX(FEC_PROC) FEC_PROC, SUM(VAL_CAUC) TOTAL, COUNT(*) N FROM NM_NCMOV "
           "WHERE FEC_PROC BETWEEN :A AND :B AND NAT_TRAN = 'D'"
        << ParamList{param("A", QDateTime(QDate(2013, 1, 1), QTime(0, 0)), FieldType::DateTime),
                     param("B", QDateTime(QDate(2013, 12, 31), QTime(0, 0)), FieldType::DateTime)};
    QTest::newRow("flag query") << QString::fromLatin1(digifText) << digifParams(1);
    // More distinct texts than a column shares, in an order that repeats early and late ones.
    QTest::newRow("accounts beyond the shared texts")
        << "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 6000) "
           "SELECT I CAS_CONT, 'C' || ((I * 7) % 4500) COD_CUEN FROM N ORDER BY I"
        << ParamList{};
}

void TstProviders::packetsAreIdenticalOnBothEngines()
{
    if (!TestDatabase::isPostgres())
        QSKIP("compared in the PostgreSQL run");
    QFETCH(QString, sql);
    QFETCH(ParamList, params);
    TestDatabase sqlite(TestDatabase::Content::Demo, u"sqlite"_s);
    const std::unique_ptr<IAppServer> other = sqlite.appServer();
    const DataPacket fromPostgres = m_server->open(u"DtsPTemporal"_s, sql, params);
    const DataPacket fromSqlite = other->open(u"DtsPTemporal"_s, sql, params);
    QVERIFY(!fromPostgres.rows.isEmpty());
    QVERIFY2(fromPostgres == fromSqlite,
             qPrintable(test::packetDifference(fromPostgres, fromSqlite)));
}

DataPacket TstProviders::relationRows(IAppServer& server)
{
    return server.open(relationProvider,
                       u"SELECT * FROM NM_RPCOS WHERE COD_EMPR = 1 ORDER BY TVL_ROWID"_s, {});
}

void TstProviders::insertsReturnKeysAndRoundTripValues()
{
    m_fresh = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
    const auto server = m_fresh->appServer();
    const QDateTime stamp(QDate(2026, 3, 1), QTime(23, 59, 58, 125));
    Delta delta;
    delta.rows = {insert({{"ACT_USUA", "JPEREZ"},
                          {"ACT_HORA", stamp},
                          {"ACT_ESTA", "A"},
                          {"COD_EMPR", 1},
                          {"COD_CONT", u"10"_s}, // text is coerced to SMALLINT
                          {"COD_CUEN", "51010101"},
                          {"VAL_TOTA", 1234.56}}),
                  insert({{"COD_EMPR", 1}, {"DEP_APAC", u"CAFETERÍA"_s}})};
    const QList<qint64> keys = server->applyUpdates(relationProvider, delta);
    QCOMPARE(keys.size(), 2);
    QVERIFY(keys[0] < keys[1]);

    const DataPacket packet =
        server->open(relationProvider, u"SELECT * FROM NM_RPCOS WHERE TVL_ROWID = :K"_s,
                     {Param{u"K"_s, keys[0], FieldType::LargeInt}});
    QCOMPARE(packet.rowKeys, QList<qint64>{keys[0]});
    const QVariantList& row = packet.rows.first();
    QCOMPARE(row[packet.columnIndex(u"ACT_HORA"_s)], QVariant(stamp));
    QCOMPARE(row[packet.columnIndex(u"COD_CONT"_s)], QVariant(10));
    QCOMPARE(row[packet.columnIndex(u"VAL_TOTA"_s)], QVariant(1234.56));
    QVERIFY(isNull(row[packet.columnIndex(u"CAS_CONT"_s)]));
}

void TstProviders::failedRowUndoesTheWholeDelta_data()
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
        << "ACT_USUA" << QVariant(u"ANALISTA01"_s) << int(ModuleError::Kind::Server) << "";
}

void TstProviders::failedRowUndoesTheWholeDelta()
{
    m_fresh = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
    QFETCH(QString, column);
    QFETCH(QVariant, value);
    QFETCH(int, errorKind);
    QFETCH(QString, messagePart);

    const auto server = m_fresh->appServer();
    const DataPacket before = relationRows(*server);
    Delta delta;
    delta.rows = {insert({{"COD_EMPR", 1}, {"DEP_APAC", "NUEVA"}}),
                  modify(before, 1, {{"VAL_TOTA", 1.0}}), remove(before, 2),
                  modify(before, 3, {{column, value}})};
    const auto error = thrownBy([&] { server->applyUpdates(relationProvider, delta); });
    QVERIFY(mentions(error, {messagePart}));
    QCOMPARE(int(error->kind()), errorKind);
    const DataPacket after = relationRows(*server);
    QVERIFY2(after == before, qPrintable(test::packetDifference(after, before)));
}

void TstProviders::readOnlyProviderRefusesUpdates()
{
    m_fresh = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
    const auto server = m_fresh->appServer();
    const Delta delta{{insert({{"COD_EMPR", 1}, {"COD_CONT", 99}})}};
    QVERIFY(mentions(thrownBy([&] { server->applyUpdates(u"DtsPNmNccon"_s, delta); }),
                     {u"DtsPNmNccon"}));
    QCOMPARE(m_fresh->queryValue(u"SELECT COUNT(*) FROM NM_NCCON WHERE COD_CONT = 99"_s).toInt(),
             0);
}

QTEST_GUILESS_MAIN(TstProviders)
#include "tst_providers.moc"
