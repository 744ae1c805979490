#include "DaemonOptions.h"
#include "ServerMetrics.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tavrel;

// The configuration of tavrel-server: its file, the command line over it, and what either
// may not ask for.
class TstServerConfig : public QObject
{
    Q_OBJECT

private slots:
    void fileAndCommandLine_data();
    void fileAndCommandLine();
    void metricsLabelsAreEscaped_data();
    void metricsLabelsAreEscaped();
    void metricsNeverTakeADesksNames();
};

namespace {

const QString Server = u"postgresql://nomina_servidor:s@db/nomina"_s;
const QString Reader = u"postgresql://nomina_lector:l@db/nomina"_s;

// What the options came to, or the error, in one comparable line.
QString outcome(const ParsedDaemonOptions& parsed)
{
    if (!parsed.options)
        return u"error: "_s + parsed.error;
    const DaemonOptions& o = *parsed.options;
    return u"reader=%1 listen=%2:%3 workers=%4 metrics=%5:%6 check=%7 problem=%8"_s
        .arg(o.reader, o.host)
        .arg(o.port)
        .arg(o.workers)
        .arg(o.metricsHost)
        .arg(o.metricsPort)
        .arg(o.check)
        .arg(!o.listenProblem().isEmpty());
}

} // namespace

void TstServerConfig::fileAndCommandLine_data()
{
    QTest::addColumn<QString>("file"); // empty: no --config
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected"); // contained in outcome(); {file}: the file's path

    const QString logins = u"[server]\ndatabase = %1\nreader = %2\n"_s.arg(Server, Reader);
    QTest::newRow("the file alone gives the reader's login, off the command line")
        << logins + u"listen = 127.0.0.1:8300\nworkers = 16\n"_s << QStringList()
        << u"reader=%1 listen=127.0.0.1:8300 workers=16"_s.arg(Reader);
    QTest::newRow("the command line overrides the file")
        << logins + u"workers = 16\n"_s << QStringList{u"--workers"_s, u"3"_s} << u"workers=3"_s;
    QTest::newRow("a misspelt key is named with its file, not left at its default")
        << logins + u"wrokers = 16\n"_s << QStringList()
        << u"{file} tiene la clave desconocida «wrokers»"_s;
    QTest::newRow("the file may not name its own file")
        << logins + u"config = /etc/otro.conf\n"_s << QStringList()
        << u"clave desconocida «config»"_s;
    QTest::newRow("keys outside [server] are refused")
        << u"[base]\ndatabase = %1\n"_s.arg(Server) << QStringList() << u"la sección [base]"_s;
    QTest::newRow("a switch takes true or false only")
        << logins + u"check = yes\n"_s << QStringList() << u"«check» espera true o false"_s;
    QTest::newRow("a switch set true in the file")
        << logins + u"check = true\n"_s << QStringList() << u"check=1"_s;
    QTest::newRow("metrics only on loopback by default")
        << logins + u"metrics = 0.0.0.0:9211\n"_s << QStringList() << u"--metrics-any-address"_s;
    QTest::newRow("metrics off loopback when allowed")
        << logins + u"metrics = 0.0.0.0:9211\nmetrics-any-address = true\n"_s << QStringList()
        << u"metrics=0.0.0.0:9211"_s;
    QTest::newRow("plain HTTP off loopback is refused when serving")
        << logins + u"listen = 0.0.0.0:8211\n"_s << QStringList() << u"0.0.0.0 necesita TLS"_s;
    QTest::newRow("--check reports it as a failed check instead")
        << logins + u"listen = 0.0.0.0:8211\n"_s << QStringList{u"--check"_s}
        << u"check=1 problem=1"_s;
    QTest::newRow("a file that is not there")
        << QString() << QStringList{u"--config"_s, u"/nonexistent/server.conf"_s}
        << u"no se puede leer el archivo de configuración /nonexistent/server.conf"_s;
}

void TstServerConfig::fileAndCommandLine()
{
    QFETCH(QString, file);
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"server.conf"_s);
    if (!file.isEmpty()) {
        QFile conf(path);
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(file.toUtf8());
        arguments.prepend(path);
        arguments.prepend(u"--config"_s);
    }
    const QString result =
        outcome(DaemonOptions::parse(QStringList{u"tavrel-server"_s} + arguments));
    QVERIFY2(result.contains(expected.replace(u"{file}"_s, path)), qPrintable(result));
}

void TstServerConfig::metricsLabelsAreEscaped_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("escaped");
    QTest::newRow("a quote would end the value") << u"a\"b"_s << u"a\\\"b"_s;
    QTest::newRow("a backslash would escape what follows") << u"a\\b"_s << u"a\\\\b"_s;
    QTest::newRow("a line feed would start a sample") << u"a\nb"_s << u"a\\nb"_s;
}

void TstServerConfig::metricsLabelsAreEscaped()
{
    QFETCH(QString, value);
    QFETCH(QString, escaped);
    QCOMPARE(ServerMetrics::labelValue(value), escaped);
}

// A call or method name the server does not know counts under "other": the series a desk
// can make are bounded by the server's own lists.
void TstServerConfig::metricsNeverTakeADesksNames()
{
    ServerMetrics metrics({u"EjecutarSQL"_s});
    metrics.request(u"invoke"_s, u"EjecutarSQL"_s, 200, 0.02, 10, 20);
    for (int i = 0; i < 50; ++i) {
        metrics.request(u"invoke"_s, u"Metodo%1\"}"_s.arg(i), 401, 0.001, 1, 1);
        metrics.request(u"/v1/x%1"_s.arg(i), {}, 404, 0.001, 1, 1);
    }
    const QString text = QString::fromUtf8(metrics.render({}));
    QVERIFY(text.contains(u"tavrel_requests_total{call=\"invoke\",method=\"EjecutarSQL\","
                          "status=\"200\"} 1\n"_s));
    QVERIFY(text.contains(u"tavrel_requests_total{call=\"invoke\",method=\"other\","
                          "status=\"401\"} 50\n"_s));
    QVERIFY(text.contains(u"tavrel_requests_total{call=\"other\",status=\"404\"} 50\n"_s));
    QVERIFY(!text.contains(u"Metodo"_s) && !text.contains(u"/v1/x"_s));
    // The 20 ms call falls in the 25 ms bucket and above, not in the 10 ms one.
    QVERIFY(text.contains(u"_bucket{call=\"invoke\",le=\"0.01\"} 50\n"_s));
    QVERIFY(text.contains(u"_bucket{call=\"invoke\",le=\"0.025\"} 51\n"_s));
    QVERIFY(text.contains(u"tavrel_received_bytes_total 110\n"_s));
}

QTEST_GUILESS_MAIN(TstServerConfig)
#include "tst_serverconfig.moc"
