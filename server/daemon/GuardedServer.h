#pragma once

#include "ConnectionServing.h"

#include <httplib.h>

namespace tavrel {

// The HTTP library's server with each connection served under ConnectionLimits: the
// library bounds each read, not a whole request, and reads a chunked body whole.
class GuardedServer : public httplib::Server
{
public:
    explicit GuardedServer(const ConnectionLimits& limits);

private:
    bool process_and_close_socket(socket_t sock) override;

    ConnectionServing m_serving;
};

} // namespace tavrel
