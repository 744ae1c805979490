#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tavrel {

struct ParsedDaemonOptions;

// The command line of tavrel-server:
//   tavrel-server [--config FILE] --database postgresql://… --reader postgresql://…
//                 [--listen 127.0.0.1:8211] [--tls-cert F --tls-key F] [--workers N]
//                 [--idle-minutes M] [--max-body BYTES] [--request-seconds S]
//                 [--max-per-address N] [--access-log FILE] [--read-timeout S]
//                 [--statement-timeout S] [--lock-timeout S]
//                 [--metrics ADDRESS:PORT [--metrics-any-address]] [--check]
//   tavrel-server --install-roles --database postgresql://<owner>…
// Every long option may also be set in the configuration file (ServerConfigFile); the
// command line overrides it. Plain HTTP is served only on a loopback address; any other
// address needs TLS.
struct DaemonOptions
{
    QString database; // the server role, or the owner with --install-roles
    QString reader;   // the reader role
    bool installRoles = false;
    // Checks the configuration, the database and the certificate instead of serving. A
    // listening address that would be refused is then a failed check, not an error here.
    bool check = false;
    QString host = QStringLiteral("127.0.0.1");
    int port = 8211; // 0: any free port, printed at start
    QString tlsCert;
    QString tlsKey;
    int workers = 8;
    int idleMinutes = 30;
    qint64 maxBody = 8 * 1024 * 1024;
    // A request must arrive whole (headers and body, and a new connection's TLS handshake)
    // within this time, and its answer leave within it again.
    int requestSeconds = 20;
    // Connections of one client address served at once; 0: half the workers.
    int maxPerAddress = 0;
    QString accessLog; // empty: standard error
    // Limits, in seconds: a desk's read, waits for locks included; each of the server's
    // own statements (logins, saved rows, the caused-value update); and their waits for a
    // lock.
    int readTimeout = 5;
    int statementTimeout = 60;
    int lockTimeout = 10;
    // The Prometheus text listener; an empty host: none. Off the loopback address only
    // with metricsAnyAddress.
    QString metricsHost;
    int metricsPort = 9211; // 0: any free port, printed at start
    bool metricsAnyAddress = false;

    bool tls() const { return !tlsCert.isEmpty(); }
    bool metrics() const { return !metricsHost.isEmpty(); }
    // Why the listening address may not be served (plain HTTP off the loopback address),
    // empty when it may.
    QString listenProblem() const;
    int connectionsPerAddress() const
    {
        return maxPerAddress > 0 ? maxPerAddress : qMax(1, (workers + 1) / 2);
    }

    // `arguments` as the program received them, its own name first.
    static ParsedDaemonOptions parse(const QStringList& arguments);
};

// What the command line asks for.
struct ParsedDaemonOptions
{
    std::optional<DaemonOptions> options; // empty when the run should stop here
    QString output;                       // --help or --version text
    QString error;                        // a message for standard error
    int exitCode = 0;
};

} // namespace tavrel
