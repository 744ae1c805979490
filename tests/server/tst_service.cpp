#include "DaemonProcess.h"
#include "NetworkAccess.h"
#include "RemoteAppServer.h"
#include "TestDatabase.h"
#include "Thrown.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <httplib.h>

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
    QString pem(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

    std::unique_ptr<TestDatabase> m_db;
    QStringList m_roles;
    QTemporaryDir m_dir;
};

namespace {

// Exit code (-1: it crashed or hung) and standard output.
QPair<int, QString> run(const QString& program, const QStringList& arguments,
                        const QString& folder = {})
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError())};
}

// Self-signed certificates for localhost in the current folder (cert.pem and key.pem in
// valid/ and other/, valid for a month, both in trusted.pem; in expired/, one whose
// validity ended in 2020).
const QString Certificates = uR"(set -e
bash ")" TAVREL_SOURCE_DIR uR"(/scripts/dev-cert" valid; bash ")" TAVREL_SOURCE_DIR uR"(/scripts/dev-cert" other
cat valid/cert.pem other/cert.pem > trusted.pem; mkdir expired; cd expired; touch i; echo 01 > s
printf '[ca]\ndefault_ca=o\n[o]\ndatabase=i\nnew_certs_dir=.\nserial=s\ndefault_md=sha256
policy=p\n[p]\ncommonName=supplied\n' > ca.conf
openssl req -new -newkey rsa:2048 -nodes -keyout key.pem -out req.pem -subj /CN=localhost
openssl ca -batch -config ca.conf -selfsign -keyfile key.pem -in req.pem -out cert.pem \
  -startdate 20200101000000Z -enddate 20200201000000Z)"_s;

// The serial number of the certificate a new TLS connection to `port` is shown.
QByteArray servedSerial(int port)
{
    QSslSocket socket;
    socket.setPeerVerifyMode(QSslSocket::VerifyNone);
    socket.connectToHostEncrypted(u"127.0.0.1"_s, quint16(port));
    return socket.waitForEncrypted(10000) ? socket.peerCertificate().serialNumber() : QByteArray();
}

QByteArray contents(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool write(const QString& file, const QByteArray& text)
{
    QFile f(file);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

} // namespace

void TstService::initTestCase()
{
    TAVREL_NEEDS_POSTGRES();
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo, u"postgres"_s);
    QString errors;
    m_roles = DaemonProcess::installRoles(m_db->url(), &errors);
    QVERIFY2(!m_roles.isEmpty(), qPrintable(errors));
    const auto made = run(u"bash"_s, {u"-c"_s, Certificates}, m_dir.path());
    QVERIFY2(made.first == 0, qPrintable(made.second));
}

void TstService::checkGivesEachFailureItsOwnLine_data()
{
    QTest::addColumn<QString>("file"); // the configuration file after the logins
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("broken");   // SQL the tables' owner runs before, empty: none
    QTest::addColumn<QString>("repaired"); // and after
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("failure"); // the start of a line, empty: none fails

    const QString tls = u"tls-cert = %1/cert.pem\ntls-key = %1/key.pem\n"_s;
    const NetworkAccess::Function& companies = NetworkAccess::functions().first();
    QTest::newRow("everything in place, on TLS off loopback")
        << tls.arg(pem("valid")) + u"listen = 0.0.0.0:8211\n"_s << QStringList() << QString()
        << QString() << 0 << QString();
    QTest::newRow("a function of the sessions is missing")
        << QString() << QStringList()
        << u"ALTER FUNCTION tavrel_sesion(text) RENAME TO tavrel_sesion_vieja"_s
        << u"ALTER FUNCTION tavrel_sesion_vieja(text) RENAME TO tavrel_sesion"_s << 1
        << u"FALLA funciones de "_s;
    QTest::newRow("a function of another version")
        << QString() << QStringList()
        << u"CREATE OR REPLACE FUNCTION %1 AS $$ BEGIN RETURN; END $$"_s.arg(companies.declaration)
        << u"CREATE OR REPLACE FUNCTION %1 AS $$%2$$"_s.arg(companies.declaration, companies.body)
        << 1
        << u"FALLA funciones de %1: las funciones tavrel_empresas() son de otra"_s.arg(
               QUrl(m_roles[1]).userName());
    QTest::newRow("an expired certificate")
        << tls.arg(pem("expired")) << QStringList() << QString() << QString() << 1
        << u"FALLA vigencia: el certificado"_s;
    QTest::newRow("plain HTTP off loopback, the command line over the file")
        << u"listen = 127.0.0.1:8211\n"_s << QStringList{u"--listen"_s, u"0.0.0.0:8211"_s}
        << QString() << QString() << 1 << u"FALLA escucha: sin --tls-cert"_s;
    QTest::newRow("a misspelt key is named with its file")
        << u"wrokers = 4\n"_s << QStringList() << QString() << QString() << 2
        << u"tavrel-server: el archivo de configuración {file} tiene la clave desconocida "
           "«wrokers»"_s;
}

void TstService::checkGivesEachFailureItsOwnLine()
{
    QFETCH(QString, file);
    QFETCH(QStringList, options);
    QFETCH(QString, broken);
    QFETCH(QString, repaired);
    QFETCH(int, code);
    QFETCH(QString, failure);
    // The reader's password comes from the file only.
    QTemporaryDir dir;
    const QString conf = dir.filePath(u"server.conf"_s);
    QVERIFY(write(conf, u"[server]\ndatabase = \"%1\"\nreader = \"%2\"\n%3"_s
                            .arg(m_roles[1], m_roles[3], file)
                            .toUtf8()));
    if (!broken.isEmpty())
        m_db->exec(broken);
    const auto repair = qScopeGuard([&] {
        if (!repaired.isEmpty())
            m_db->exec(repaired);
    });
    const auto [exitCode, out] = run(QStringLiteral(TAVREL_SERVER_BIN),
                                     QStringList{u"--check"_s, u"--config"_s, conf} + options);
    QCOMPARE(exitCode, code);
    const QString expected = failure.replace(u"{file}"_s, conf);
    QVERIFY2(failure.isEmpty() ? !out.contains(u"FALLA"_s)
                               : out.contains(QRegularExpression(
                                     u"(^|\n)"_s + QRegularExpression::escape(expected))),
             qPrintable(out));
}

// A renewed certificate reaches new connections without a restart, while a session
// opened before goes on; the access log is opened again, after rotation moved it. Desks
// verify the certificate against the authorities they are given.
void TstService::hangupRenewsTheCertificateAndTheLog()
{
    QTemporaryDir dir;
    const QString certificate = dir.filePath(u"cert.pem"_s);
    const QString key = dir.filePath(u"key.pem"_s);
    const QString log = dir.filePath(u"access.log"_s);
    const auto install = [&](const char* from) {
        return write(certificate, contents(pem(from) + u"/cert.pem"_s)) &&
               write(key, contents(pem(from) + u"/key.pem"_s));
    };
    QVERIFY(install("valid"));
    // The desks trust both certificates, the one before and the one after.
    qputenv("TAVREL_CA_FILE", pem("trusted.pem").toLocal8Bit());
    const auto untrust = qScopeGuard([] { qunsetenv("TAVREL_CA_FILE"); });

    DaemonProcess daemon(
        m_roles, {u"--tls-cert"_s, certificate, u"--tls-key"_s, key, u"--access-log"_s, log});
    QVERIFY2(daemon.started(), qPrintable(daemon.errors()));
    const QByteArray before = QSslCertificate(contents(certificate)).serialNumber();
    QCOMPARE(servedSerial(daemon.port()), before);
    auto desk = RemoteAppServer::login(u"https"_s, daemon.address(), u"JPEREZ"_s, u"Tavrel2026"_s);

    QVERIFY(install("other"));
    QVERIFY(QFile::rename(log, log + u".1"_s));
    QVERIFY(daemon.renewConnections());
    const QByteArray renewed = QSslCertificate(contents(certificate)).serialNumber();
    QVERIFY(renewed != before);
    QCOMPARE(servedSerial(daemon.port()), renewed);
    QVariantList none;
    QCOMPARE(desk->invoke(u"BuscarFechaServidor"_s, none).typeId(), QMetaType::QDateTime);
    // A line is written once its answer has left.
    QTRY_VERIFY(contents(log).contains("JPEREZ invoke BuscarFechaServidor"));
    // A desk that trusts neither is refused.
    qunsetenv("TAVREL_CA_FILE");
    QVERIFY(mentions(thrownBy([&] {
                         RemoteAppServer::login(u"https"_s, daemon.address(), u"JPEREZ"_s,
                                                u"Tavrel2026"_s);
                     }),
                     {u"no es de confianza"}));
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
    std::string token;
    const auto post = [&](const std::string& path, const QString& body) {
        const auto answer = desk.Post(path, {{"Authorization", "Bearer " + token}},
                                      body.toStdString(), "application/json");
        return ++sent, QJsonDocument::fromJson(answer ? answer->body.c_str() : "")["token"];
    };
    post("/v1/login", u"{\"user\":\"JPEREZ\",\"password\":\"mala\"}"_s);
    token = post("/v1/login", u"{\"user\":\"JPEREZ\",\"password\":\"Tavrel2026\"}"_s)
                .toString()
                .toStdString();
    for (int i = 0; i < 20; ++i) {
        post("/v1/open", u"{\"provider\":\"DtsPTemporal\",\"params\":[],"
                         "\"commandText\":\"SELECT COD_EMPR FROM GN_EMPRE\"}"_s);
        // In the desk's own spelling: the label is the server's.
        post("/v1/invoke", u"{\"method\":\"buscarFECHAservidor\",\"args\":[]}"_s);
        post("/v1/invoke", u"{\"method\":\"Metodo%1\\\"}\",\"args\":[]}"_s.arg(i));
        post("/v1/ruta" + std::to_string(i), u"{}"_s);
    }
    post("/v1/logout", u"{}"_s);

    // Each request is counted after its answer left: wait until all are.
    httplib::Client scraper("127.0.0.1", daemon.metricsPort());
    const QRegularExpression sample(u"^tavrel_requests_total\\{call=\"(\\w+)\"(?:,method=\"([^\"]*)"
                                    "\")?,status=\"(\\d+)\"\\} (\\d+)$"_s,
                                    QRegularExpression::MultilineOption);
    QMap<QString, int> counted;
    QSet<QString> methods;
    QString text;
    for (int total = 0, tries = 0; total < sent && tries < 50; ++tries, QTest::qWait(100)) {
        const auto result = scraper.Get("/metrics");
        text = QString::fromStdString(result ? result->body : "");
        counted.clear();
        total = 0;
        for (const auto& m : sample.globalMatch(text)) {
            counted[m.captured(1) + u' ' + m.captured(3)] += m.captured(4).toInt();
            total += m.captured(4).toInt();
            if (!m.captured(2).isEmpty())
                methods << m.captured(2);
        }
    }
    QMap<QString, int> logged;
    const QStringList calls{u"login"_s, u"logout"_s, u"open"_s, u"invoke"_s};
    for (const QString& line : QString::fromUtf8(contents(log)).split(u'\n', Qt::SkipEmptyParts)) {
        const QString call = line.section(u' ', 2, 2);
        ++logged[(calls.contains(call) ? call : u"other"_s) + u' ' + line.section(u'=', -1)];
    }
    QCOMPARE(counted, logged);
    QCOMPARE(logged.value(u"other 404"_s), 20);
    // What the desk named became "other", never a label of its own.
    QCOMPARE(methods, (QSet<QString>{u"BuscarFechaServidor"_s, u"other"_s}));
    QVERIFY(text.contains(u"tavrel_failed_logins_total 1\n"_s));
}

// The commands of the deployment guide: a dump by the tables' owner, restored into a new
// database, given its roles again, is served.
void TstService::aRestoredDumpIsServed()
{
    const QString dump = m_dir.filePath(u"nomina.dump"_s);
    const QStringList bare{u"--no-owner"_s, u"--no-privileges"_s};
    const auto dumped =
        run(u"pg_dump"_s, bare + QStringList{u"--format=custom"_s, u"--file"_s, dump, m_db->url()});
    QVERIFY2(dumped.first == 0, qPrintable(dumped.second));
    TestDatabase restored(TestDatabase::Content::Nothing, u"postgres"_s);
    const auto restoring =
        run(u"pg_restore"_s,
            bare + QStringList{u"--exit-on-error"_s, u"--dbname"_s, restored.url(), dump});
    QVERIFY2(restoring.first == 0, qPrintable(restoring.second));
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
