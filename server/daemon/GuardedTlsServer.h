#pragma once

#include "ConnectionServing.h"

#include <httplib.h>

namespace tavrel {

// GuardedServer over TLS, with the handshakes TlsPolicy allows.
class GuardedTlsServer : public httplib::SSLServer
{
public:
    // is_valid() tells whether the certificate and key could be used.
    GuardedTlsServer(const char* certificate, const char* key, const ConnectionLimits& limits);

private:
    bool process_and_close_socket(socket_t sock) override;

    ConnectionServing m_serving;
};

} // namespace tavrel
