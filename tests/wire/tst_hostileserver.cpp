// A desk facing a server that is not a tavrel-server, or one that was taken over: what it
// answers must not take the desk down with it.

#include "KeptConnection.h"
#include "ModuleError.h"
#include "RemoteAppServer.h"

#include <QTest>
#include <httplib.h>
#include <thread>
#include <zlib.h>

using namespace Qt::StringLiterals;

namespace {

// `size` zero bytes in the gzip format, compressed piece by piece: about a thousandth of
// their size.
std::string gzippedZeros(size_t size)
{
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        qFatal("deflateInit2 failed");
    const std::string zeros(1024 * 1024, '\0');
    std::string out;
    char buffer[64 * 1024];
    for (size_t left = size; left > 0 || z.avail_in == 0;) {
        const size_t piece = std::min(left, zeros.size());
        left -= piece;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
        z.avail_in = uInt(piece);
        const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        int status = Z_OK;
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer);
            z.avail_out = sizeof buffer;
            status = deflate(&z, flush);
            out.append(buffer, sizeof buffer - z.avail_out);
        } while (z.avail_out == 0);
        if (status == Z_STREAM_END)
            break;
    }
    deflateEnd(&z);
    return out;
}

// A server on a loopback port of its own that answers every POST with `body`.
class FakeServer
{
public:
    FakeServer(std::string body, const std::string& encoding)
    {
        m_server.Post(".*", [body = std::move(body), encoding](const httplib::Request&,
                                                               httplib::Response& res) {
            res.status = 200;
            if (!encoding.empty())
                res.set_header("Content-Encoding", encoding);
            res.set_content(body, "application/octet-stream");
        });
        m_server.set_keep_alive_max_count(1); // nothing to wait for when it stops
        // Listening from here on: a desk's connection waits for the thread to take it.
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~FakeServer()
    {
        m_server.stop();
        m_thread.join();
    }
    QString address() const { return u"127.0.0.1:%1"_s.arg(m_port); }

private:
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
};

} // namespace

class TstHostileServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersAreReadUpToALimit_data();
    void answersAreReadUpToALimit();
};

void TstHostileServer::answersAreReadUpToALimit_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("message");

    const qint64 limit = tavrel::KeptConnection::MaxAnswerSize;
    // A quarter of a megabyte on the wire that would take 256 MiB of the desk's memory.
    QTest::newRow("a gzip bomb stops at the limit, not when it has all been inflated")
        << QByteArray("gzip") << qint64(256) * 1024 * 1024 << u"supera los 64 MiB"_s;
    QTest::newRow("one byte over the limit, plain") << QByteArray() << limit + 1 << u"supera"_s;
    // Read whole, it is then no JSON at all: the limit is not what refused it.
    QTest::newRow("exactly the limit is read") << QByteArray("gzip") << limit << u"JSON"_s;
}

void TstHostileServer::answersAreReadUpToALimit()
{
    QFETCH(QByteArray, encoding);
    QFETCH(qint64, size);
    QFETCH(QString, message);
    FakeServer server(encoding.isEmpty() ? std::string(size_t(size), '\0')
                                         : gzippedZeros(size_t(size)),
                      encoding.toStdString());
    try {
        tavrel::RemoteAppServer::login(u"http"_s, server.address(), u"JPEREZ"_s, u"x"_s);
        QFAIL("a login answered with zeros was taken");
    } catch (const tavrel::ModuleError& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
}

QTEST_MAIN(TstHostileServer)
#include "tst_hostileserver.moc"
