#include "DaemonProcess.h"
#include "RemoteAppServer.h"
#include "TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>
#include <httplib.h>

#include <numeric>

using namespace Qt::StringLiterals;
using namespace tavrel;
using tavrel::test::DaemonProcess;
using tavrel::test::TestDatabase;

// tavrel-server as an administrator runs it: its configuration checked without serving,
// a certificate renewed and a log rotated without a restart, its metrics, and a database
// copied with PostgreSQL's tools and served again.
class TstService : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void checkGivesEachFailureItsOwnLine_data();
    void checkGivesEachFailureItsOwnLine();
    void hangupRenewsTheCertificateAndTheLog();
    void metricsCountWhatTheAccessLogWrites();
    void aRestoredDumpIsServed();

private:
    std::unique_ptr<TestDatabase> m_db;
    QStringList m_roles;
    QTemporaryDir m_dir;
};

namespace {

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

Run run(const QString& program, const QStringList& arguments, const QString& folder = {})
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// A self-signed certificate for localhost in `folder` (cert.pem, key.pem), valid for a
// month, or one whose validity ended in 2020.
bool makeCertificate(const QString& folder, bool expired = false)
{
    QDir().mkpath(folder);
    if (!expired)
        return run(u"bash"_s, {QStringLiteral(TAVREL_SOURCE_DIR "/scripts/dev-cert"), folder})
                   .code == 0;
    QFile conf(folder + u"/ca.conf"_s);
    if (!conf.open(QIODevice::WriteOnly))
        return false;
    conf.write("[ca]\ndefault_ca = old\n[old]\ndatabase = index.txt\nnew_certs_dir = .\n"
               "serial = serial\ndefault_md = sha256\npolicy = any\n[any]\n"
               "commonName = supplied\n");
    conf.close();
    QFile(folder + u"/index.txt"_s).open(QIODevice::WriteOnly);
    QFile serial(folder + u"/serial"_s);
    if (!serial.open(QIODevice::WriteOnly) || serial.write("01\n") != 3)
        return false;
    serial.close();
    return run(u"openssl"_s,
               {u"req"_s, u"-new"_s, u"-newkey"_s, u"rsa:2048"_s, u"-nodes"_s, u"-keyout"_s,
                u"key.pem"_s, u"-out"_s, u"req.pem"_s, u"-subj"_s, u"/CN=localhost"_s},
               folder)
                   .code == 0 &&
           run(u"openssl"_s,
               {u"ca"_s, u"-batch"_s, u"-config"_s, u"ca.conf"_s, u"-selfsign"_s, u"-keyfile"_s,
                u"key.pem"_s, u"-in"_s, u"req.pem"_s, u"-out"_s, u"cert.pem"_s, u"-startdate"_s,
                u"20200101000000Z"_s, u"-enddate"_s, u"20200201000000Z"_s},
               folder)
                   .code == 0;
}

// The serial number of the certificate a new TLS connection to `port` is shown.
QByteArray servedSerial(int port)
{
    QSslSocket socket;
    socket.setPeerVerifyMode(QSslSocket::VerifyNone);
    socket.connectToHostEncrypted(u"127.0.0.1"_s, quint16(port));
    return socket.waitForEncrypted(10000) ? socket.peerCertificate().serialNumber() : QByteArray();
}

QByteArray certificateSerial(const QString& file)
{
    QFile pem(file);
    return pem.open(QIODevice::ReadOnly) ? QSslCertificate(pem.readAll()).serialNumber()
                                         : QByteArray();
}

} // namespace

void TstService::initTestCase()
{
    // The network server serves PostgreSQL only, whatever engine the run names.
    if (qEnvironmentVariableIsEmpty("TAVREL_TEST_PG")) {
        std::fputs("TAVREL_NO_POSTGRES\n", stdout);
        std::fflush(stdout);
        QSKIP("PostgreSQL is not configured (TAVREL_TEST_PG is unset)");
    }
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo, u"postgres"_s);
    QString errors;
    m_roles = DaemonProcess::installRoles(m_db->url(), &errors);
    QVERIFY2(!m_roles.isEmpty(), qPrintable(errors));
    QVERIFY(makeCertificate(m_dir.filePath(u"valid"_s)));
    QVERIFY(makeCertificate(m_dir.filePath(u"other"_s)));
    QVERIFY(makeCertificate(m_dir.filePath(u"expired"_s), true));
}

void TstService::checkGivesEachFailureItsOwnLine_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("broken");   // SQL the tables' owner runs before, empty: none
    QTest::addColumn<QString>("repaired"); // and after
    QTest::addColumn<QString>("failure");  // the start of the failed line, empty: none fails

    const auto tls = [this](const char* certificate, const char* key) {
        return QStringList{u"--tls-cert"_s, m_dir.filePath(QLatin1String(certificate)),
                           u"--tls-key"_s, m_dir.filePath(QLatin1String(key))};
    };
    QTest::newRow("everything in place, on TLS off loopback")
        << tls("valid/cert.pem", "valid/key.pem") + QStringList{u"--listen"_s, u"0.0.0.0:8211"_s}
        << QString() << QString() << QString();
    QTest::newRow("a function of the sessions is missing")
        << QStringList() << u"ALTER FUNCTION tavrel_sesion(text) RENAME TO tavrel_sesion_vieja"_s
        << u"ALTER FUNCTION tavrel_sesion_vieja(text) RENAME TO tavrel_sesion"_s
        << u"FALLA funciones de "_s;
    QTest::newRow("a company table without its policy")
        << QStringList() << u"ALTER TABLE NM_RPCOS DISABLE ROW LEVEL SECURITY"_s
        << u"ALTER TABLE NM_RPCOS ENABLE ROW LEVEL SECURITY"_s
        << u"FALLA seguridad por filas: las tablas nm_rpcos"_s;
    QTest::newRow("an expired certificate")
        << tls("expired/cert.pem", "expired/key.pem") << QString() << QString()
        << u"FALLA vigencia: el certificado"_s;
    QTest::newRow("a key that is not the certificate's")
        << tls("valid/cert.pem", "other/key.pem") << QString() << QString()
        << u"FALLA certificado: La clave"_s;
    QTest::newRow("plain HTTP off loopback")
        << QStringList{u"--listen"_s, u"0.0.0.0:8211"_s} << QString() << QString()
        << u"FALLA escucha: sin --tls-cert"_s;
}

void TstService::checkGivesEachFailureItsOwnLine()
{
    QFETCH(QStringList, options);
    QFETCH(QString, broken);
    QFETCH(QString, repaired);
    QFETCH(QString, failure);
    if (!broken.isEmpty())
        m_db->exec(broken);
    const auto repair = qScopeGuard([&] {
        if (!repaired.isEmpty())
            m_db->exec(repaired);
    });
    const Run check =
        run(QStringLiteral(TAVREL_SERVER_BIN), QStringList{u"--check"_s} + m_roles + options);
    const QStringList lines = check.out.split(u'\n', Qt::SkipEmptyParts);
    const QStringList failed = lines.filter(QRegularExpression(u"^FALLA"_s));
    QVERIFY2(lines.size() >= 9, qPrintable(check.out + check.err));
    QCOMPARE(check.code, failure.isEmpty() ? 0 : 1);
    if (failure.isEmpty())
        QVERIFY2(failed.isEmpty(), qPrintable(check.out));
    else
        QVERIFY2(!failed.filter(QRegularExpression(u"^"_s + QRegularExpression::escape(failure)))
                      .isEmpty(),
                 qPrintable(check.out));
}

// A renewed certificate reaches new connections without a restart, while a session
// opened before goes on; a certificate that cannot be read leaves the one in use. The
// access log is opened again, after rotation moved it.
void TstService::hangupRenewsTheCertificateAndTheLog()
{
    QTemporaryDir dir;
    const QString certificate = dir.filePath(u"cert.pem"_s);
    const QString key = dir.filePath(u"key.pem"_s);
    const QString log = dir.filePath(u"access.log"_s);
    const auto install = [&](const char* from) {
        for (const QString& file : {certificate, key})
            QFile::remove(file);
        return QFile::copy(m_dir.filePath(QLatin1String(from)) + u"/cert.pem"_s, certificate) &&
               QFile::copy(m_dir.filePath(QLatin1String(from)) + u"/key.pem"_s, key);
    };
    QVERIFY(install("valid"));
    // The desks trust both certificates, the one before and the one after.
    QFile trusted(dir.filePath(u"ca.pem"_s));
    QVERIFY(trusted.open(QIODevice::WriteOnly));
    for (const char* from : {"valid", "other"}) {
        QFile pem(m_dir.filePath(QLatin1String(from)) + u"/cert.pem"_s);
        QVERIFY(pem.open(QIODevice::ReadOnly));
        trusted.write(pem.readAll());
    }
    trusted.close();
    qputenv("TAVREL_CA_FILE", trusted.fileName().toLocal8Bit());
    const auto untrust = qScopeGuard([] { qunsetenv("TAVREL_CA_FILE"); });

    DaemonProcess daemon(
        m_roles, {u"--tls-cert"_s, certificate, u"--tls-key"_s, key, u"--access-log"_s, log});
    QVERIFY2(daemon.started(), qPrintable(daemon.errors()));
    const QByteArray before = certificateSerial(certificate);
    QCOMPARE(servedSerial(daemon.port()), before);
    auto desk = RemoteAppServer::login(u"https"_s, daemon.address(), u"JPEREZ"_s, u"Tavrel2026"_s);

    QVERIFY(install("other"));
    QVERIFY(QFile::rename(log, log + u".1"_s));
    QVERIFY(daemon.renewConnections());
    const QByteArray renewed = certificateSerial(certificate);
    QVERIFY(renewed != before);
    QCOMPARE(servedSerial(daemon.port()), renewed);
    QVariantList none;
    QCOMPARE(desk->invoke(u"BuscarFechaServidor"_s, none).typeId(), QMetaType::QDateTime);
    // Written once the answer has left.
    const auto logged = [&] {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) &&
               file.readAll().contains("JPEREZ invoke BuscarFechaServidor");
    };
    QTRY_VERIFY2(logged(), "the call after SIGHUP is in the new log");

    QFile broken(certificate);
    QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("no es un certificado\n") > 0);
    broken.close();
    QVERIFY(daemon.renewConnections());
    QCOMPARE(servedSerial(daemon.port()), renewed);
    QVERIFY2(daemon.errors().contains(u"se sigue usando el certificado anterior"_s),
             qPrintable(daemon.errors()));
}

// Every request the access log writes is counted once under its call and status, and
// what a desk names (methods, paths) never becomes a label.
void TstService::metricsCountWhatTheAccessLogWrites()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(u"access.log"_s);
    DaemonProcess daemon(m_roles, {u"--metrics"_s, u"127.0.0.1:0"_s, u"--access-log"_s, log});
    QVERIFY2(daemon.started() && daemon.metricsPort() > 0, qPrintable(daemon.errors()));
    httplib::Client desk("127.0.0.1", daemon.port());
    int sent = 0;
    const auto post = [&](const char* path, const QString& body, const std::string& token = {}) {
        httplib::Headers headers;
        if (!token.empty())
            headers.emplace("Authorization", "Bearer " + token);
        ++sent;
        const auto result = desk.Post(path, headers, body.toStdString(), "application/json");
        return result ? result->body : std::string();
    };
    post("/v1/login", u"{\"user\":\"JPEREZ\",\"password\":\"mala\"}"_s);
    post("/v1/login", u"{\"user\":\"NADIE\",\"password\":\"mala\"}"_s);
    const std::string login =
        post("/v1/login", u"{\"user\":\"JPEREZ\",\"password\":\"Tavrel2026\"}"_s);
    const std::string token = QJsonDocument::fromJson(QByteArray::fromStdString(login))
                                  .object()[u"token"_s]
                                  .toString()
                                  .toStdString();
    QVERIFY(!token.empty());
    for (int i = 0; i < 3; ++i)
        post("/v1/open",
             u"{\"provider\":\"DtsPTemporal\",\"commandText\":\"SELECT COD_EMPR FROM GN_EMPRE\","
             "\"params\":[]}"_s,
             token);
    for (int i = 0; i < 2; ++i)
        post("/v1/invoke", u"{\"method\":\"BuscarFechaServidor\",\"args\":[]}"_s, token);
    for (int i = 0; i < 20; ++i) {
        post("/v1/invoke", u"{\"method\":\"Metodo%1\\\"}\",\"args\":[]}"_s.arg(i), token);
        post(QByteArray("/v1/ruta") + QByteArray::number(i), u"{}"_s);
    }
    post("/v1/logout", u"{}"_s, token);

    // Each request is counted after its answer left: wait until all are.
    httplib::Client scraper("127.0.0.1", daemon.metricsPort());
    const QRegularExpression sample(
        u"^tavrel_requests_total\\{call=\"(\\w+)\"(?:,method=\"([^\"]*)\")?,status=\"(\\d+)\"\\} (\\d+)$"_s,
        QRegularExpression::MultilineOption);
    QMap<QString, int> counted;
    QSet<QString> methods;
    QString text;
    for (int tries = 0; tries < 50; ++tries) {
        const auto result = scraper.Get("/metrics");
        QVERIFY(result && result->status == 200);
        text = QString::fromStdString(result->body);
        counted.clear();
        for (const auto& m : sample.globalMatch(text)) {
            counted[m.captured(1) + u' ' + m.captured(3)] += m.captured(4).toInt();
            if (!m.captured(2).isEmpty())
                methods << m.captured(2);
        }
        if (std::accumulate(counted.cbegin(), counted.cend(), 0) >= sent)
            break;
        QTest::qWait(100);
    }
    QMap<QString, int> logged;
    QFile lines(log);
    QVERIFY(lines.open(QIODevice::ReadOnly));
    const QStringList calls{u"health"_s, u"login"_s, u"logout"_s,
                            u"open"_s,   u"apply"_s, u"invoke"_s};
    for (const QString& line :
         QString::fromUtf8(lines.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u' ');
        const QString call = calls.contains(fields.value(2)) ? fields.value(2) : u"other"_s;
        ++logged[call + u' ' + fields.last().section(u'=', 1)];
    }
    QCOMPARE(std::accumulate(logged.cbegin(), logged.cend(), 0), sent);
    QCOMPARE(counted, logged);
    QCOMPARE(logged.value(u"other 404"_s), 20);
    QCOMPARE(methods, (QSet<QString>{u"BuscarFechaServidor"_s, u"other"_s}));
    QVERIFY(text.contains(u"tavrel_failed_logins_total 2\n"_s));
    QVERIFY(text.contains(u"tavrel_request_duration_seconds_count{call=\"open\"} 3\n"_s));
    QVERIFY(!text.contains(u"Metodo"_s) && !text.contains(u"ruta"_s));
}

// The commands of the deployment guide: a dump by the tables' owner, restored into a new
// database, given its roles again, is served.
void TstService::aRestoredDumpIsServed()
{
    const QString dump = m_dir.filePath(u"nomina.dump"_s);
    const Run dumped = run(u"pg_dump"_s, {u"--format=custom"_s, u"--no-owner"_s,
                                          u"--no-privileges"_s, u"--file"_s, dump, m_db->url()});
    QVERIFY2(dumped.code == 0, qPrintable(dumped.err));
    TestDatabase restored(TestDatabase::Content::Nothing, u"postgres"_s);
    const Run restoring =
        run(u"pg_restore"_s, {u"--no-owner"_s, u"--no-privileges"_s, u"--exit-on-error"_s,
                              u"--dbname"_s, restored.url(), dump});
    QVERIFY2(restoring.code == 0, qPrintable(restoring.err));
    QString errors;
    const QStringList roles = DaemonProcess::installRoles(restored.url(), &errors);
    QVERIFY2(!roles.isEmpty(), qPrintable(errors));
    DaemonProcess daemon(roles);
    QVERIFY2(daemon.started(), qPrintable(daemon.errors()));
    auto desk = RemoteAppServer::login(u"http"_s, daemon.address(), u"MGOMEZ"_s, u"Nomina2026"_s);
    const QString relation = u"SELECT * FROM NM_RPCOS WHERE COD_EMPR = %1"_s;
    const int company = desk->companies().value(0).code;
    QCOMPARE(desk->open(u"DtsPTemporal"_s, relation.arg(company), {}).rows.size(),
             m_db->queryRows(relation.arg(company)).size());
}

QTEST_GUILESS_MAIN(TstService)
#include "tst_service.moc"
