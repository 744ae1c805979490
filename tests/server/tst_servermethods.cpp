#include "Database.h"
#include "IAppServer.h"
#include "ModuleError.h"
#include "ServerTestUtil.h"
#include "TestDatabase.h"
#include "Thrown.h"

#include <QDateTime>
#include <QTest>

using namespace tavrel;
using namespace Qt::StringLiterals;
using tavrel::test::TestDatabase;

// The late-bound methods. Every test gets a fresh database. The rest of the login, the server
// time and the caused-value statements are pinned by the tests of their callers on this server.
class TstServerMethods : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void ejecutarSqlBindsValuesByFirstAppearance();
    void ejecutarSqlFailureWritesNothing_data();
    void ejecutarSqlFailureWritesNothing();
    void programPathsInTheOrderAsked_data();
    void programPathsInTheOrderAsked();
    void loginIgnoresTheCaseOfTheUserCode();
    void unknownMethodOrWrongArgumentsAreNamed_data();
    void unknownMethodOrWrongArgumentsAreNamed();

private:
    void start(TestDatabase::Content content);
    DataPacket relationRows();
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<IAppServer> m_server;
};

namespace {

QVariantList statement(const QString& sql, const QVariantList& values = {})
{
    return QVariantList{sql} + values;
}

} // namespace

void TstServerMethods::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
}

void TstServerMethods::start(TestDatabase::Content content)
{
    m_db = std::make_unique<TestDatabase>(content);
    m_server = m_db->appServer();
}

void TstServerMethods::cleanup()
{
    m_server.reset();
    m_db.reset();
}

DataPacket TstServerMethods::relationRows()
{
    return m_server->open(u"DtsPVeZEZev"_s, u"SELECT * FROM NM_RPCOS ORDER BY TVL_ROWID"_s, {});
}

void TstServerMethods::ejecutarSqlBindsValuesByFirstAppearance()
{
    if (TestDatabase::isRemote())
        QSKIP("the network server runs only the module's own statements");
    start(TestDatabase::Content::Demo);
    // Markers :b, :a, :b take the values [b, a].
    QVariantList args{statement(QStringLiteral("UPDATE NM_VARIG SET VAL_VARI = :b, NOM_VARI = :a "
                                               "WHERE COD_VARI = 'FEC_RPCO' AND VAL_VARI <> :b"),
                                {u"2014"_s, u"Año 'siguiente' \\n;--"_s}),
                      QVariant(), QString()};
    QCOMPARE(m_server->invoke(u"EjecutarSQL"_s, args), QVariant(0));
    QCOMPARE(args[2], QVariant(QString()));
    const QList<QVariantList> rows =
        m_db->queryRows(u"SELECT VAL_VARI, NOM_VARI FROM NM_VARIG WHERE COD_VARI = 'FEC_RPCO'"_s);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][0].toString(), u"2014"_s);
    // Quotes and backslashes arrive as text, whatever way the engine receives values.
    QCOMPARE(rows[0][1].toString(), u"Año 'siguiente' \\n;--"_s);
}

void TstServerMethods::ejecutarSqlFailureWritesNothing_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QString>("messagePart");

    QTest::newRow("syntax error") << "UPDATE NM_RPCOS SE VAL_CAUS = 0" << QVariantList{} << "";
    QTest::newRow("the database names the missing table")
        << "UPDATE NM_NOEXISTE SET VAL_CAUS = 0" << QVariantList{} << "nm_noexiste";
    QTest::newRow("one row breaks a CHAR(1) width: no row is changed")
        << "UPDATE NM_RPCOS SET ACT_ESTA = CASE WHEN COD_EMPR = 3 THEN 'XX' ELSE 'Z' END"
        << QVariantList{} << "";
    QTest::newRow("fewer values than markers")
        << "UPDATE NM_RPCOS SET VAL_CAUS = :a WHERE COD_EMPR = :b" << QVariantList{1.0}
        << "parámetro";
}

void TstServerMethods::ejecutarSqlFailureWritesNothing()
{
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    QFETCH(QString, messagePart);
    start(TestDatabase::Content::Demo);
    const DataPacket before = relationRows();

    QVariantList args{statement(sql, values), QVariant(), QString()};
    QString message;
    try {
        QCOMPARE(m_server->invoke(u"EjecutarSQL"_s, args), QVariant(1));
        message = args[2].toString();
    } catch (const ModuleError& e) {
        message = e.message(); // the network server refuses a statement not of the module
        messagePart = u"no ejecuta por la red"_s;
    }
    QVERIFY(!message.isEmpty());
    QVERIFY2(message.contains(messagePart, Qt::CaseInsensitive), qPrintable(message));
    const DataPacket after = relationRows();
    QVERIFY2(after == before, qPrintable(test::packetDifference(after, before)));
}

void TstServerMethods::programPathsInTheOrderAsked_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("paths");

    QTest::newRow("order follows the question, not the table") << "\"VNmNcmco\",\"VNmNccon\""
                                                               << "nomina/VNmNcmco,nomina/VNmNccon";
    QTest::newRow("unknown program keeps its place with an empty path")
        << "\"VNmNccon\",\"VNoExiste\",\"VVeZezev\""
        << "nomina/VNmNccon,,VEdUvura";
    QTest::newRow("a path with a blank comes back quoted") << "\"VConBlanco\""
                                                           << "\"Mis Programas/VConBlanco\"";
}

void TstServerMethods::programPathsInTheOrderAsked()
{
    QFETCH(QString, asked);
    QFETCH(QString, paths);
    start(TestDatabase::Content::Demo);
    m_db->exec(QStringLiteral("INSERT INTO GN_PROGR (COD_PROG, NOM_PROG, PAT_PROG) "
                              "VALUES ('VConBlanco', 'Prueba', 'Mis Programas/VConBlanco')"));
    QVariantList args{QVariantList{asked}, u"JPEREZ Tavrel2026 1A"_s, u"A"_s, u"JPEREZ"_s,
                      QVariant()};
    m_server->invoke(u"BuscarPathProgramaArreglo"_s, args);
    QCOMPARE(args[4], QVariant(QVariantList{paths}));
    QCOMPARE(args[2], QVariant(u"A"_s));
    QCOMPARE(args[3], QVariant(u"JPEREZ"_s));
}

void TstServerMethods::loginIgnoresTheCaseOfTheUserCode()
{
    // The callers upper-case what was typed; the server must not depend on it.
    start(TestDatabase::Content::Demo);
    QVariantList args{u"jperez"_s, u"Tavrel2026"_s, u"?"_s};
    QCOMPARE(m_server->invoke(u"ValidarUsuario"_s, args), QVariant(0));
    QCOMPARE(args[2].toString(), u"A"_s);
}

void TstServerMethods::unknownMethodOrWrongArgumentsAreNamed_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<int>("argumentCount");

    QTest::newRow("unknown method") << "BuscarNada" << 0;
    QTest::newRow("EjecutarSQL without its error argument") << "EjecutarSQL" << 2;
    QTest::newRow("program paths with three arguments") << "BuscarPathProgramaArreglo" << 3;
}

void TstServerMethods::unknownMethodOrWrongArgumentsAreNamed()
{
    QFETCH(QString, method);
    QFETCH(int, argumentCount);
    start(TestDatabase::Content::Schema);
    QVariantList args;
    for (int i = 0; i < argumentCount; ++i)
        args.append(QVariantList{u"SELECT 1"_s});
    QVERIFY(mentions(thrownBy([&] { m_server->invoke(method, args); }), {method}));
}

QTEST_GUILESS_MAIN(TstServerMethods)
#include "tst_servermethods.moc"
