#include "GuardedServer.h"

namespace tavrel {

GuardedServer::GuardedServer(const ConnectionLimits& limits) : m_serving(limits) {}

bool GuardedServer::process_and_close_socket(socket_t sock)
{
    m_serving.serve(sock, nullptr, svr_sock_,
                    [this](httplib::Stream& stream, bool closeConnection, bool& closed, SSL*) {
                        return process_request(stream, closeConnection, closed, nullptr);
                    });
    return true;
}

} // namespace tavrel
