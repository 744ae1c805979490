#include "RequestStream.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

namespace tavrel {

namespace {

thread_local RequestStream::Refusal tRefusal = RequestStream::Refusal::None;

void numericAddress(const sockaddr_storage& address, socklen_t length, std::string& ip, int& port)
{
    char host[NI_MAXHOST];
    char service[NI_MAXSERV];
    if (getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host, sizeof(host),
                    service, sizeof(service), NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
        ip = host;
        port = std::atoi(service);
    }
}

bool retryable(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

} // namespace

RequestStream::RequestStream(socket_t sock, SSL* ssl, std::chrono::milliseconds requestTime,
                             size_t maxRequestBytes)
    : m_sock(sock), m_ssl(ssl), m_requestTime(requestTime), m_maxBytes(maxRequestBytes)
{
    fcntl(m_sock, F_SETFL, fcntl(m_sock, F_GETFL) | O_NONBLOCK);
    sockaddr_storage address{};
    socklen_t length = sizeof(address);
    if (getpeername(m_sock, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        numericAddress(address, length, m_address, m_port);
    if (m_ssl)
        SSL_set_mode(m_ssl, SSL_MODE_ENABLE_PARTIAL_WRITE);
    tRefusal = Refusal::None;
}

RequestStream::Refusal RequestStream::refusal()
{
    return tRefusal;
}

void RequestStream::refuse(Refusal why)
{
    if (m_refusal == Refusal::None)
        m_refusal = why;
    tRefusal = m_refusal;
}

bool RequestStream::handshake()
{
    const Clock::time_point deadline = Clock::now() + m_requestTime;
    for (;;) {
        const int done = SSL_accept(m_ssl);
        if (done == 1)
            return true;
        const int error = SSL_get_error(m_ssl, done);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
            m_broken = true;
            return false;
        }
        if (!waitFor(error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, deadline))
            return false;
    }
}

bool RequestStream::awaitRequest(std::chrono::milliseconds idle)
{
    if (spent())
        return false;
    if (m_begin < m_end || (m_ssl && SSL_pending(m_ssl) > 0))
        return true;
    pollfd p{m_sock, POLLIN, 0};
    int ready;
    do
        ready = ::poll(&p, 1, int(idle.count()));
    while (ready < 0 && errno == EINTR);
    return ready > 0;
}

void RequestStream::beginRequest()
{
    m_readDeadline = Clock::now() + m_requestTime;
    m_consumed = 0;
    m_writing = false;
    tRefusal = Refusal::None;
}

bool RequestStream::waitFor(short events, Clock::time_point deadline)
{
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            refuse(Refusal::Late);
            return false;
        }
        pollfd p{m_sock, events, 0};
        const int ready = ::poll(&p, 1, int(left.count()));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR) {
            m_broken = true;
            return false;
        }
    }
}

bool RequestStream::fill()
{
    for (;;) {
        if (m_ssl) {
            const int n = SSL_read(m_ssl, m_buffer, int(sizeof(m_buffer)));
            if (n > 0) {
                m_begin = 0;
                m_end = size_t(n);
                return true;
            }
            const int error = SSL_get_error(m_ssl, n);
            if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
                m_broken = true;
                return false;
            }
            if (!waitFor(error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, m_readDeadline))
                return false;
            continue;
        }
        const ssize_t n = ::recv(m_sock, m_buffer, sizeof(m_buffer), 0);
        if (n > 0) {
            m_begin = 0;
            m_end = size_t(n);
            return true;
        }
        if (n == 0 || !retryable(errno)) {
            m_broken = true;
            return false;
        }
        if (!waitFor(POLLIN, m_readDeadline))
            return false;
    }
}

bool RequestStream::is_readable() const
{
    if (m_begin < m_end || (m_ssl && SSL_pending(m_ssl) > 0))
        return true;
    pollfd p{m_sock, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}

bool RequestStream::is_writable() const
{
    pollfd p{m_sock, POLLOUT, 0};
    return !m_broken && ::poll(&p, 1, 0) > 0;
}

ssize_t RequestStream::read(char* ptr, size_t size)
{
    if (spent() || (m_begin == m_end && !fill()))
        return -1;
    const size_t n = std::min(size, m_end - m_begin);
    if (m_consumed + n > m_maxBytes) {
        refuse(Refusal::TooLarge);
        return -1;
    }
    std::memcpy(ptr, m_buffer + m_begin, n);
    m_begin += n;
    m_consumed += n;
    return ssize_t(n);
}

ssize_t RequestStream::write(const char* ptr, size_t size)
{
    if (m_broken)
        return -1;
    if (!m_writing) {
        m_writing = true;
        m_writeDeadline = Clock::now() + m_requestTime;
    }
    size_t done = 0;
    while (done < size) {
        short wait = POLLOUT;
        if (m_ssl) {
            const int n = SSL_write(m_ssl, ptr + done, int(std::min<size_t>(size - done, 1 << 30)));
            if (n > 0) {
                done += size_t(n);
                continue;
            }
            const int error = SSL_get_error(m_ssl, n);
            if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
                m_broken = true;
                return -1;
            }
            wait = error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT;
        } else {
            const ssize_t n = ::send(m_sock, ptr + done, size - done, MSG_NOSIGNAL);
            if (n > 0) {
                done += size_t(n);
                continue;
            }
            if (n == 0 || !retryable(errno)) {
                m_broken = true;
                return -1;
            }
        }
        if (!waitFor(wait, m_writeDeadline)) {
            m_broken = true;
            return -1;
        }
    }
    return ssize_t(size);
}

void RequestStream::get_remote_ip_and_port(std::string& ip, int& port) const
{
    ip = m_address;
    port = m_port;
}

void RequestStream::get_local_ip_and_port(std::string& ip, int& port) const
{
    sockaddr_storage address{};
    socklen_t length = sizeof(address);
    if (getsockname(m_sock, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        numericAddress(address, length, ip, port);
}

} // namespace tavrel
