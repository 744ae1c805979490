#include "RawConnection.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace tavrel::test {

RawConnection::RawConnection(int port, const char* source)
{
    m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, source, &local.sin_addr);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(quint16(port));
    inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    const int on = 1;
    setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
    // A server that neither answers nor closes fails the test instead of holding it.
    const timeval limit{20, 0};
    setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
    setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0 ||
        ::connect(m_fd, reinterpret_cast<sockaddr*>(&server), sizeof(server)) != 0)
        close();
}

RawConnection::~RawConnection()
{
    close();
}

void RawConnection::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool RawConnection::send(const QByteArray& bytes)
{
    qsizetype sent = 0;
    while (m_fd >= 0 && sent < bytes.size()) {
        const ssize_t n =
            ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += n;
    }
    return m_fd >= 0;
}

QByteArray RawConnection::receive(int milliseconds, bool oneAnswer)
{
    QByteArray answer;
    char buffer[16384];
    while (m_fd >= 0) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, milliseconds) <= 0)
            break;
        const ssize_t n = ::recv(m_fd, buffer, sizeof(buffer), 0);
        if (n <= 0)
            break;
        answer.append(buffer, n);
        const qsizetype end = answer.indexOf("\r\n\r\n");
        if (oneAnswer && end >= 0) {
            static const QRegularExpression length(QStringLiteral("Content-Length: *(\\d+)"),
                                                   QRegularExpression::CaseInsensitiveOption);
            const auto match = length.match(QString::fromLatin1(answer.left(end)));
            if (answer.size() >= end + 4 + (match.hasMatch() ? match.captured(1).toInt() : 0))
                break;
        }
    }
    return answer;
}

bool RawConnection::closedWithin(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    char buffer[4096];
    while (m_fd >= 0 && clock.elapsed() < milliseconds) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, int(milliseconds - clock.elapsed())) <= 0)
            return false;
        if (::recv(m_fd, buffer, sizeof(buffer), 0) <= 0)
            return true;
    }
    return false;
}

int RawConnection::status(const QByteArray& answer)
{
    if (!answer.startsWith("HTTP/1."))
        return 0;
    return answer.mid(9, 3).toInt();
}

QByteArray RawConnection::post(const char* path, const QByteArray& body)
{
    return QByteArray("POST ") + path +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
           "Content-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

} // namespace tavrel::test
