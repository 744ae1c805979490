#pragma once

#include "ConnectionServing.h"

#include <httplib.h>

#include <memory>
#include <mutex>

namespace tavrel {

// GuardedServer over TLS, with a context that TlsCredentials made (the handshakes
// TlsPolicy allows) and that may be replaced while the server runs: new connections
// take the new certificate, those already open keep the one they began with.
class GuardedTlsServer : public httplib::SSLServer
{
public:
    GuardedTlsServer(std::shared_ptr<SSL_CTX> context, const ConnectionLimits& limits);

    // Safe from any thread.
    void setContext(std::shared_ptr<SSL_CTX> context);

private:
    bool process_and_close_socket(socket_t sock) override;

    ConnectionServing m_serving;
    std::mutex m_mutex;
    std::shared_ptr<SSL_CTX> m_context;
};

} // namespace tavrel
