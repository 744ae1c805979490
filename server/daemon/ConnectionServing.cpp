#include "ConnectionServing.h"

#include "RequestStream.h"

#include <QScopeGuard>

#include <sys/socket.h>
#include <unistd.h>

namespace tavrel {

ConnectionServing::ConnectionServing(const ConnectionLimits& limits)
    : m_limits(limits), m_guard(limits.perAddress)
{}

void ConnectionServing::serve(socket_t sock, SSL_CTX* context,
                              const std::atomic<socket_t>& listening, const Process& process)
{
    SSL* ssl = context ? SSL_new(context) : nullptr;
    const auto close = qScopeGuard([&] {
        if (ssl) {
            SSL_shutdown(ssl);
            SSL_free(ssl);
        }
        ::shutdown(sock, SHUT_RDWR);
        ::close(sock);
    });
    if (context && (!ssl || SSL_set_fd(ssl, sock) != 1))
        return;
    RequestStream stream(sock, ssl, m_limits.requestTime, m_limits.maxRequestBytes);
    if (!m_guard.admit(stream.remoteAddress())) {
        // No close_notify for a connection that was never admitted.
        if (ssl)
            SSL_set_quiet_shutdown(ssl, 1);
        return;
    }
    const auto release = qScopeGuard([&] { m_guard.release(stream.remoteAddress()); });
    // A connection that says nothing is let go as a kept one is; the handshake then has
    // the time of a request.
    if (ssl && (!stream.awaitRequest(m_limits.keepAlive) || !stream.handshake())) {
        SSL_set_quiet_shutdown(ssl, 1);
        return;
    }
    for (int left = m_limits.keepAliveCalls; left > 0 && listening != INVALID_SOCKET; --left) {
        if (!stream.awaitRequest(m_limits.keepAlive))
            break;
        stream.beginRequest();
        bool closed = false;
        if (!process(stream, left == 1, closed, ssl) || closed || stream.spent())
            break;
    }
}

} // namespace tavrel
