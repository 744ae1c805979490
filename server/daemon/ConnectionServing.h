#pragma once

#include "ConnectionGuard.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <functional>

namespace tavrel {

// What one connection may take of a worker.
struct ConnectionLimits
{
    std::chrono::milliseconds requestTime{20000}; // a request's arrival, an answer's departure
    size_t maxRequestBytes = 0;                   // line, headers and body on the wire
    int perAddress = 4;                           // connections of one client address at once
    int keepAliveCalls = 10;
    std::chrono::milliseconds keepAlive{1000}; // wait for a kept connection's next request
};

// A worker's part of a connection: admits it by its address, makes the TLS handshake,
// then hands each request to the HTTP library through a RequestStream until the
// connection is closed, spent, idle or has had its calls.
class ConnectionServing
{
public:
    // The library's handling of one request on `stream`; `ssl` is null for plain HTTP.
    using Process = std::function<bool(httplib::Stream& stream, bool closeConnection,
                                       bool& connectionClosed, SSL* ssl)>;

    explicit ConnectionServing(const ConnectionLimits& limits);

    // Serves and closes `sock`. `context` is the server's TLS context, null for plain HTTP;
    // `listening` becomes invalid when the server stops.
    void serve(socket_t sock, SSL_CTX* context, const std::atomic<socket_t>& listening,
               const Process& process);

private:
    ConnectionLimits m_limits;
    ConnectionGuard m_guard;
};

} // namespace tavrel
