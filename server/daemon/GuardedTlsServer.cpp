#include "GuardedTlsServer.h"

#include "TlsPolicy.h"

namespace tavrel {

GuardedTlsServer::GuardedTlsServer(const char* certificate, const char* key,
                                   const ConnectionLimits& limits)
    : httplib::SSLServer(certificate, key), m_serving(limits)
{
    if (is_valid())
        TlsPolicy::apply(ssl_context());
}

bool GuardedTlsServer::process_and_close_socket(socket_t sock)
{
    m_serving.serve(sock, ssl_context(), svr_sock_,
                    [this](httplib::Stream& stream, bool closeConnection, bool& closed, SSL* ssl) {
                        return process_request(stream, closeConnection, closed,
                                               [ssl](httplib::Request& req) { req.ssl = ssl; });
                    });
    return true;
}

} // namespace tavrel
