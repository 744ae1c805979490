#pragma once

#include <QByteArray>
#include <QString>

namespace tavrel::test {

// A TCP connection written by hand, for requests no library client would send: one byte
// at a time, never finished, or from another address. Every address of 127.0.0.0/8 is
// this machine, so a connection from 127.0.0.2 stands for a second desk.
class RawConnection
{
public:
    RawConnection(int port, const char* source = "127.0.0.1");
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    int socket() const { return m_fd; }
    // False once the server closed or reset the connection.
    bool send(const QByteArray& bytes);
    // What arrives until the server closes or `milliseconds` pass without a byte, or,
    // with `oneAnswer`, until one whole answer (headers and Content-Length body) is in.
    QByteArray receive(int milliseconds, bool oneAnswer = false);
    // Whether the server closed the connection within `milliseconds`.
    bool closedWithin(int milliseconds);
    void close();

    // The status of an HTTP answer, 0 for none.
    static int status(const QByteArray& answer);
    // A POST of `body` with Content-Length, kept alive.
    static QByteArray post(const char* path, const QByteArray& body);

private:
    int m_fd = -1;
};

} // namespace tavrel::test
