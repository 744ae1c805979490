// The host's headless sub-commands, run as a user's script would run them.

#include "TestDatabase.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using tavrel::test::TestDatabase;

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runTavrel(const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tavrel"), args);
    if (!p.waitForFinished(120000))
        qFatal("tavrel did not finish");
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TstHeadless : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void sessionReportsWhatTheModuleHolds();
    void callFailures_data();
    void callFailures();
    void callRunsTheOperationOfEveryCompany();
    void reportWritesThePdf();
    void reportFailures_data();
    void reportFailures();
    void screenshotPrintsAFirstCompanyError();

private:
    QStringList login(const QString& password = QStringLiteral("Tavrel2026")) const
    {
        return {QStringLiteral("--database"), m_db->url(),
                QStringLiteral("--user"),     QStringLiteral("JPEREZ"),
                QStringLiteral("--password"), password,
                QStringLiteral("--company"),  QStringLiteral("1")};
    }
    std::unique_ptr<TestDatabase> m_db;
};

void TstHeadless::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
}

void TstHeadless::sessionReportsWhatTheModuleHolds()
{
    const Run r = runTavrel(
        QStringList{QStringLiteral("session")} + login() +
        QStringList{QStringLiteral("--protocol"), QStringLiteral("local"),
                    QStringLiteral("--alias"), QStringLiteral("DBTavrel"), QStringLiteral("--hpv"),
                    QStringLiteral("abc \"AND COD_EMPR = 1\" def"), QStringLiteral("--version"),
                    QStringLiteral("3.1.0;20/03/2018"), QStringLiteral("--json")});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(r.out));
    QCOMPARE(o.value(QStringLiteral("gStParHpv")).toString(), QStringLiteral("AND COD_EMPR = 1"));
    QCOMPARE(o.value(QStringLiteral("gSlParams")).toArray(),
             QJsonArray({QStringLiteral("abc"), QStringLiteral("AND COD_EMPR = 1"),
                         QStringLiteral("def")}));
    QCOMPARE(o.value(QStringLiteral("gStVersionCliente")).toString(), QStringLiteral("3.1.0"));
    QCOMPARE(o.value(QStringLiteral("gStFechaCliente")).toString(), QStringLiteral("20/03/2018"));
    QCOMPARE(o.value(QStringLiteral("gStProtocolo")).toString(), QStringLiteral("local"));
    QCOMPARE(o.value(QStringLiteral("gStAliasCnx")).toString(), QStringLiteral("DBTavrel"));
    QCOMPARE(o.value(QStringLiteral("gStParSrv")).toString(), m_db->url());
    QCOMPARE(o.value(QStringLiteral("gStServerGUID")).toString(),
             QStringLiteral("{DBE9EBA5-64BD-47FE-86EA-5A4B472636EB}"));
    QCOMPARE(o.value(QStringLiteral("gStServerName")).toString(),
             QStringLiteral("VVeZezev.VVeZezevDmr"));
    QCOMPARE(o.value(QStringLiteral("gStServerGUIDNet")).toString(),
             QStringLiteral("{CF2C242B-B879-4297-A1A0-047B76BAD2F0}"));
    QCOMPARE(o.value(QStringLiteral("gStServerNameNet")).toString(),
             QStringLiteral("VVeZezevBD.VVeZezev"));
    QCOMPARE(o.value(QStringLiteral("gStPublicKeyToken")).toString(),
             QStringLiteral("5c81f0d94e27b316"));
}

void TstHeadless::callFailures_data()
{
    QTest::addColumn<QStringList>("tail");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("an operation the window does not publish is named")
        << QStringList{QStringLiteral("VEdUvura"), QStringLiteral("NoExiste")} << 1
        << QStringLiteral("no tiene la operación NoExiste");
    QTest::newRow("an unknown program is refused before loading anything")
        << QStringList{QStringLiteral("VNoExiste"), QStringLiteral("X")} << 2
        << QStringLiteral("programa desconocido VNoExiste");
    QTest::newRow("program and operation are both needed")
        << QStringList{QStringLiteral("VEdUvura")} << 2
        << QStringLiteral("indique el programa y la operación");
    QTest::newRow("a wrong password stops the load with the login's message")
        << QStringList{QStringLiteral("--password"), QStringLiteral("otra"),
                       QStringLiteral("VEdUvura"), QStringLiteral("ActualizarCausado")}
        << 1 << QStringLiteral("tavrel call: Usuario o contraseña incorrectos para «JPEREZ»");
}

void TstHeadless::callFailures()
{
    QFETCH(QStringList, tail);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    const Run r = runTavrel(QStringList{QStringLiteral("call")} + login() + tail);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.count(message) == 1, qPrintable(r.err));
}

void TstHeadless::callRunsTheOperationOfEveryCompany()
{
    m_db->exec(QStringLiteral("UPDATE NM_RPCOS SET ACT_USUA = 'MGOMEZ', ACT_ESTA = 'A'"));

    const Run r =
        runTavrel(QStringList{QStringLiteral("call")} + login() +
                  QStringList{QStringLiteral("VEdUvura"), QStringLiteral("ActualizarCausado")});

    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    // The run is logged in to company 1 but rewrites the rows of every company.
    QCOMPARE(
        m_db->queryValue(QStringLiteral("SELECT COUNT(DISTINCT COD_EMPR) FROM NM_RPCOS "
                                        "WHERE ACT_USUA = 'JPEREZ' AND ACT_ESTA = 'M'"))
            .toInt(),
        m_db->queryValue(QStringLiteral("SELECT COUNT(DISTINCT COD_EMPR) FROM NM_RPCOS")).toInt());
    QCOMPARE(m_db->queryValue(QStringLiteral("SELECT COUNT(*) FROM NM_RPCOS "
                                             "WHERE ACT_USUA <> 'JPEREZ'"))
                 .toInt(),
             0);
}

void TstHeadless::reportWritesThePdf()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("relación.pdf"));

    const Run r = runTavrel(QStringList{QStringLiteral("report")} + login() +
                            QStringList{QStringLiteral("--pdf"), pdf});

    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(60000));
    const QString content = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(content.contains(QStringLiteral("Contabilización")), qPrintable(content));
    // No window painted the grid: the related-field kind is configured while the report
    // walks the rows, and the blocks after that carry its caption (company 1's concepts
    // relate cost centres).
    QVERIFY2(content.contains(QStringLiteral("Centro de Costo")), qPrintable(content));
}

void TstHeadless::reportFailures_data()
{
    QTest::addColumn<QStringList>("tail");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("the file is required") << QStringList{} << 2 << QStringLiteral("Falta --pdf");
    QTest::newRow("a folder that does not exist: the module's message, no file")
        << QStringList{QStringLiteral("--pdf"), QStringLiteral("/no/existe/r.pdf")} << 1
        << QStringLiteral("tavrel report: ");
}

void TstHeadless::reportFailures()
{
    QFETCH(QStringList, tail);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    const Run r = runTavrel(QStringList{QStringLiteral("report")} + login() + tail);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(!QFile::exists(QStringLiteral("/no/existe/r.pdf")));
}

void TstHeadless::screenshotPrintsAFirstCompanyError()
{
    // Without the paths of the linked programs the window still opens; nobody is there to
    // close a box, so the server's message is printed once.
    TestDatabase db(TestDatabase::Content::Demo);
    db.exec(QStringLiteral("DROP TABLE GN_PROGR"));
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("f.png"));
    QStringList args = login();
    args[1] = db.url();
    const Run r = runTavrel(args + QStringList{QStringLiteral("--open"), QStringLiteral("VEdUvura"),
                                               QStringLiteral("--screenshot"), png});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY(QFile::exists(png));
    QVERIFY2(r.err.count(QStringLiteral("gn_progr"), Qt::CaseInsensitive) == 1, qPrintable(r.err));
}

QTEST_GUILESS_MAIN(TstHeadless)
#include "tst_headless.moc"
