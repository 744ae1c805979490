#include "GuardedTlsServer.h"

namespace tavrel {

// The library's own context stays unused: every connection takes m_context.
GuardedTlsServer::GuardedTlsServer(std::shared_ptr<SSL_CTX> context, const ConnectionLimits& limits)
    : httplib::SSLServer([](SSL_CTX&) { return true; }), m_serving(limits),
      m_context(std::move(context))
{}

void GuardedTlsServer::setContext(std::shared_ptr<SSL_CTX> context)
{
    const std::lock_guard lock(m_mutex);
    m_context = std::move(context);
}

bool GuardedTlsServer::process_and_close_socket(socket_t sock)
{
    std::shared_ptr<SSL_CTX> context;
    {
        const std::lock_guard lock(m_mutex);
        context = m_context;
    }
    m_serving.serve(sock, context.get(), svr_sock_,
                    [this](httplib::Stream& stream, bool closeConnection, bool& closed, SSL* ssl) {
                        return process_request(stream, closeConnection, closed,
                                               [ssl](httplib::Request& req) { req.ssl = ssl; });
                    });
    return true;
}

} // namespace tavrel
