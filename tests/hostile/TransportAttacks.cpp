#include "TransportAttacks.h"

#include "BodyCompression.h"
#include "RawConnection.h"
#include "ServedDemo.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <httplib.h>
#include <openssl/ssl.h>

#include <fcntl.h>
#include <poll.h>

#include <atomic>
#include <thread>

using namespace Qt::StringLiterals;

using tavrel::test::RawConnection;
using tavrel::test::ServedDemo;

namespace {

// Milliseconds a desk from 127.0.0.1 waits for /v1/health.
qint64 healthTime(httplib::ClientImpl& client)
{
    client.set_connection_timeout(10, 0);
    client.set_read_timeout(10, 0);
    QElapsedTimer clock;
    clock.start();
    const auto result = client.Get("/v1/health");
    return result && result->status == 200 ? clock.elapsed() : -1;
}

// Connections that send a request one byte at a time, from `source`, until stopped.
class Trickle
{
public:
    Trickle(int port, const char* source, int connections, int everyMs)
    {
        for (int i = 0; i < connections; ++i)
            m_connections.push_back(std::make_unique<RawConnection>(port, source));
        m_thread = std::thread([this, everyMs] {
            for (auto& c : m_connections)
                c->send("POST /v1/login HTTP/1.1\r\nHost: 127.0.0.1\r\n");
            while (!m_stop) {
                std::this_thread::sleep_for(std::chrono::milliseconds(everyMs));
                for (auto& c : m_connections)
                    c->send("X");
            }
        });
    }
    ~Trickle()
    {
        m_stop = true;
        m_thread.join();
    }
    RawConnection& connection(int i) { return *m_connections[size_t(i)]; }

private:
    std::vector<std::unique_ptr<RawConnection>> m_connections;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

// A TLS handshake by hand, from an address of its own (the server takes one connection
// per address): the protocol it ends with, or empty when it was refused. A server that
// neither answers nor closes is a refusal after ten seconds.
QString handshake(int port, int maxVersion, const char* ciphers)
{
    static int handshakes = 0;
    const QByteArray source = QByteArray("127.0.1.") + QByteArray::number(++handshakes);
    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
    // The client offers what a weak server would take; the server must refuse it.
    SSL_CTX_set_security_level(ctx, 0);
    SSL_CTX_set_min_proto_version(ctx, TLS1_VERSION);
    SSL_CTX_set_max_proto_version(ctx, maxVersion);
    if (ciphers)
        SSL_CTX_set_cipher_list(ctx, ciphers);
    RawConnection tcp(port, source.constData());
    fcntl(tcp.socket(), F_SETFL, fcntl(tcp.socket(), F_GETFL) | O_NONBLOCK);
    SSL* ssl = SSL_new(ctx);
    SSL_set_fd(ssl, tcp.socket());
    QString protocol;
    QElapsedTimer clock;
    clock.start();
    for (int done = 0; clock.elapsed() < 10000;) {
        done = SSL_connect(ssl);
        if (done == 1)
            protocol = QString::fromLatin1(SSL_get_version(ssl));
        const int error = SSL_get_error(ssl, done);
        if (done == 1 || (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE))
            break;
        pollfd p{tcp.socket(), short(error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT), 0};
        ::poll(&p, 1, 100);
    }
    SSL_free(ssl);
    SSL_CTX_free(ctx);
    return protocol;
}

} // namespace

TransportAttacks::TransportAttacks() = default;
TransportAttacks::~TransportAttacks() = default;

void TransportAttacks::initTestCase()
{
    TAVREL_NEEDS_POSTGRES();
    // Four workers, two connections per address (half the workers, the default); a
    // request has two seconds.
    m_plain = std::make_unique<ServedDemo>(
        QStringList{u"--workers"_s, u"4"_s, u"--max-per-address"_s, u"2"_s, u"--max-body"_s,
                    u"65536"_s, u"--request-seconds"_s, u"2"_s});
    QVERIFY2(m_plain->ready(), qPrintable(m_plain->why()));
    QProcess cert;
    cert.start(u"bash"_s,
               {QStringLiteral(TAVREL_SOURCE_DIR "/scripts/dev-cert"), m_certificate.path()});
    QVERIFY(cert.waitForFinished(60000) && cert.exitCode() == 0);
    m_tls = std::make_unique<ServedDemo>(
        QStringList{u"--workers"_s, u"2"_s, u"--max-per-address"_s, u"1"_s, u"--tls-cert"_s,
                    m_certificate.filePath(u"cert.pem"_s), u"--tls-key"_s,
                    m_certificate.filePath(u"key.pem"_s)});
    QVERIFY2(m_tls->ready(), qPrintable(m_tls->why()));
}

void TransportAttacks::cleanupTestCase()
{
    m_plain.reset();
    m_tls.reset();
}

void TransportAttacks::slowClientsCannotHoldEveryWorker()
{
    // As many connections as the server has workers, each one byte short of a request.
    Trickle slow(m_plain->daemon().port(), "127.0.0.2", 4, 500);
    QTest::qWait(700);
    httplib::ClientImpl desk("127.0.0.1", m_plain->daemon().port());
    const qint64 waited = healthTime(desk);
    qInfo("a desk beside four slow connections waited %lld ms", waited);
    QVERIFY2(waited >= 0 && waited < 1500, qPrintable(QString::number(waited)));
}

void TransportAttacks::slowRequestIsCutAtItsDeadline()
{
    // One connection, within the per-address limit, that never finishes its headers.
    Trickle slow(m_plain->daemon().port(), "127.0.0.3", 1, 300);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(slow.connection(0).closedWithin(6000));
    qInfo("a request sent a byte at a time was cut after %lld ms", clock.elapsed());
    QVERIFY2(clock.elapsed() < 4000, qPrintable(QString::number(clock.elapsed())));
}

void TransportAttacks::chunkedBodyIsRefusedAtTheLimit()
{
    // A body without a length has only its chunks to say how big it is: the server must
    // count them as they come, not read them all first.
    RawConnection raw(m_plain->daemon().port(), "127.0.0.4");
    QVERIFY(raw.send("POST /v1/login HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: "
                     "application/json\r\nTransfer-Encoding: chunked\r\n\r\n"));
    const QByteArray chunk = "10000\r\n" + QByteArray(0x10000, ' ') + "\r\n";
    qint64 sent = 0;
    constexpr qint64 total = qint64(64) << 20;
    while (sent < total && raw.send(chunk))
        sent += 0x10000;
    qInfo("the server took %lld bytes of a chunked body", sent);
    // The limit is 64 KiB; what the sockets' buffers took in is the rest.
    QVERIFY2(sent < total / 4, qPrintable(u"%1 bytes sent"_s.arg(sent)));
}

void TransportAttacks::compressedBodyIsRefusedAtTheLimit_data()
{
    // A login whose password is padded with blanks to `inflated` bytes, sent in gzip. The
    // limit (64 KiB) is on what the body inflates to, not on the bytes that came.
    QTest::addColumn<int>("inflated");
    QTest::addColumn<int>("status");
    QTest::newRow("inflates to the limit: taken") << 65536 << 200;
    QTest::newRow("one byte past it") << 65537 << 413;
    // About 48 KiB on the wire: the server must stop inflating at the limit, not build a
    // body a thousand times larger and measure it then.
    QTest::newRow("gzip bomb") << (48 << 20) << 413;
}

void TransportAttacks::compressedBodyIsRefusedAtTheLimit()
{
    QFETCH(int, inflated);
    QFETCH(int, status);
    QByteArray login = "{\"user\":\"MGOMEZ\",\"password\":\"Nomina2026\"}";
    login.insert(1, QByteArray(inflated - login.size(), ' '));
    const std::string packed =
        tavrel::BodyCompression::gzip(std::string_view(login.constData(), size_t(login.size())));
    QVERIFY(packed.size() < 65536);
    QElapsedTimer clock;
    clock.start();
    const ServedDemo::Reply reply = m_plain->post("/v1/login", QByteArray::fromStdString(packed),
                                                  {}, {{"Content-Encoding", "gzip"}});
    qInfo("%d bytes in gzip, %d inflated: HTTP %d after %lld ms", int(packed.size()), inflated,
          reply.status, clock.elapsed());
    QCOMPARE(reply.status, status);
    if (status == 413)
        QCOMPARE(reply.message(), u"La petición supera el tamaño máximo de 65536 bytes"_s);
    else
        QVERIFY(!reply.body.value(u"token"_s).toString().isEmpty());
}

void TransportAttacks::idleTlsConnectionsDoNotDelayTheNextDesk()
{
    // One connection per worker that never starts its handshake.
    RawConnection idle1(m_tls->daemon().port(), "127.0.0.2");
    RawConnection idle2(m_tls->daemon().port(), "127.0.0.2");
    QTest::qWait(200);
    httplib::SSLClient desk("127.0.0.1", m_tls->daemon().port());
    desk.enable_server_certificate_verification(false);
    const qint64 waited = healthTime(desk);
    qInfo("a desk beside two idle TLS connections waited %lld ms", waited);
    QVERIFY2(waited >= 0 && waited < 1500, qPrintable(QString::number(waited)));
}

void TransportAttacks::tlsRefusesWeakHandshakes_data()
{
    QTest::addColumn<int>("maxVersion");
    QTest::addColumn<QByteArray>("ciphers");
    QTest::addColumn<QString>("protocol");
    // Refused: below TLS 1.2, a key exchange without forward secrecy, and CBC with SHA-1
    // (padding oracles), though each works with a default OpenSSL server.
    QTest::newRow("TLS 1.1") << TLS1_1_VERSION << QByteArray() << QString();
    QTest::newRow("static RSA") << TLS1_2_VERSION << QByteArray("AES128-GCM-SHA256") << QString();
    QTest::newRow("CBC SHA-1") << TLS1_2_VERSION << QByteArray("ECDHE-RSA-AES128-SHA") << QString();
    // Taken: ECDHE with an AEAD over 1.2, and 1.3 for any client that offers it.
    QTest::newRow("ECDHE GCM") << TLS1_2_VERSION << QByteArray("ECDHE-RSA-AES128-GCM-SHA256")
                               << u"TLSv1.2"_s;
    QTest::newRow("default client") << 0 << QByteArray() << u"TLSv1.3"_s;
}

void TransportAttacks::tlsRefusesWeakHandshakes()
{
    QFETCH(int, maxVersion);
    QFETCH(QByteArray, ciphers);
    QFETCH(QString, protocol);
    QCOMPARE(handshake(m_tls->daemon().port(), maxVersion,
                       ciphers.isEmpty() ? nullptr : ciphers.constData()),
             protocol);
}

void TransportAttacks::accessLogLinesCannotBeForged_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("line feed in the path")
        << QByteArray("GET /v1/x%0A2026-12-06T10:15:02.118%20JPEREZ%20apply HTTP/1.1\r\n"
                      "Host: 127.0.0.1\r\n\r\n");
    QTest::newRow("carriage return in the path")
        << QByteArray("GET /v1/x%0D%1B[2K HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    QTest::newRow("line feed in the user name") << RawConnection::post(
        "/v1/login", "{\"user\":\"A\\n2026-12-06T10:15 JPEREZ\",\"password\":\"x\"}");
    QTest::newRow("control bytes in the user name")
        << RawConnection::post("/v1/login", "{\"user\":\"A\\u0008\\u0008B\\u001b[1m\","
                                            "\"password\":\"x\"}");
}

void TransportAttacks::accessLogLinesCannotBeForged()
{
    QFETCH(QByteArray, request);
    const qsizetype before = m_plain->accessLog().size();
    RawConnection raw(m_plain->daemon().port(), "127.0.0.5");
    QVERIFY(raw.send(request));
    QVERIFY(RawConnection::status(raw.receive(5000, true)) >= 400);
    // The line is written once the answer is out.
    QTRY_VERIFY(m_plain->accessLog().size() > before);
    // Every line is one request's, in the documented form, with nothing but printable text.
    static const QRegularExpression line(
        u"^\\d{4}-\\d\\d-\\d\\dT[\\d:.]+ \\S+ \\S+ \\S+ rows=\\d+ ms=\\d+ "
        "status=\\d{3}$"_s);
    for (const QString& written :
         m_plain->accessLog().mid(before).split(u'\n', Qt::SkipEmptyParts)) {
        QVERIFY2(line.match(written).hasMatch(), qPrintable(written.toUtf8().toPercentEncoding()));
        for (const QChar c : written)
            QVERIFY2(c.isPrint(), qPrintable(written.toUtf8().toPercentEncoding()));
    }
}

void TransportAttacks::refusedRequestIsLoggedAsItself()
{
    // A login, then on the same connection (the same worker) a request the server refuses
    // before it routes it: its line must not carry the login's user and call.
    RawConnection raw(m_plain->daemon().port(), "127.0.0.6");
    QVERIFY(raw.send(RawConnection::post(
        "/v1/login", QByteArrayLiteral("{\"user\":\"MGOMEZ\",\"password\":\"Nomina2026\"}"))));
    QCOMPARE(RawConnection::status(raw.receive(10000, true)), 200);
    QVERIFY(raw.send("GET /" + QByteArray(9000, 'a') + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"));
    QCOMPARE(RawConnection::status(raw.receive(5000, true)), 414);
    QTRY_VERIFY(m_plain->accessLog().contains(u"status=414"_s));
    const QString refused =
        m_plain->accessLog().split(u'\n', Qt::SkipEmptyParts).filter(u"status=414"_s).value(0);
    QVERIFY2(!refused.contains(u"MGOMEZ"_s) && !refused.contains(u" login "_s),
             qPrintable(refused));
}
