#pragma once

#include "DaemonOptions.h"

#include <memory>

namespace tavrel {

// The network application server: the calls of docs/protocol.md over HTTP/1.1, or
// HTTPS when the options carry a certificate, on a pool of worker threads. Each worker
// keeps its own database connection (an in-process application server and the session
// store on it), opened at its first request and opened again after it was lost;
// requests of one session may reach any worker, and any server process on the same
// database.
class HttpDaemon
{
public:
    // Throws ModuleError when the access log or the certificate cannot be used.
    explicit HttpDaemon(const DaemonOptions& options);
    ~HttpDaemon();

    // Binds the listening socket; returns the port (the free one chosen for port 0).
    // Throws ModuleError when the address cannot be bound.
    int bind();
    // Serves until stop(); requests in flight are finished before it returns.
    void run();
    // Safe from any thread.
    void stop();
    // Makes every worker open new database connections before its next request, e.g.
    // after the database was restarted or moved. Requests in flight keep theirs. Safe
    // from any thread.
    void renewConnections();
    // Reads the certificate and key again for the connections that follow; those open
    // keep theirs. Throws ModuleError, and keeps the certificate in use, when they
    // cannot be used. Safe from any thread.
    void reloadCertificate();
    // Opens the access log file again (after logrotate moved it). Throws ModuleError, and
    // keeps writing to the old file, when it cannot be opened.
    void reopenAccessLog();
    // Serves /metrics when the options ask for it; returns its port, 0 without it.
    // Throws ModuleError when the address cannot be bound.
    int startMetrics();

    // A connection stays open for this many calls, while the next one comes within
    // KeepAliveSeconds. A worker serves one connection at a time, so this is also how
    // many calls of one desk the desks waiting for a worker may have to wait for.
    static constexpr int KeepAliveCalls = 10;
    static constexpr int KeepAliveSeconds = 1;
    // The most calls one batch request may carry.
    static constexpr int MaxBatchCalls = 16;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel
