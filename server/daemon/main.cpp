#include "DaemonOptions.h"
#include "Database.h"
#include "HttpDaemon.h"
#include "LocalZone.h"
#include "ModuleError.h"
#include "NetworkAccess.h"
#include "ServiceCheck.h"

#include <QCoreApplication>
#include <QTextStream>
#include <csignal>
#include <pthread.h>
#include <thread>

using namespace tavrel;

int main(int argc, char* argv[])
{
    tavrel::LocalZone::pin();
    // SIGTERM and SIGINT are taken by one thread, which stops the server; the workers
    // never see them, so requests in flight finish. SIGHUP makes the workers connect to
    // the database anew, reads the certificate again and reopens the access log.
    sigset_t handled;
    sigemptyset(&handled);
    sigaddset(&handled, SIGTERM);
    sigaddset(&handled, SIGINT);
    sigaddset(&handled, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &handled, nullptr);
    // A desk that goes away while its answer is written over TLS is a failed write, not
    // the end of the server.
    std::signal(SIGPIPE, SIG_IGN);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVREL_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const ParsedDaemonOptions parsed = DaemonOptions::parse(app.arguments());
    if (!parsed.options) {
        out << parsed.output;
        if (!parsed.error.isEmpty())
            err << parsed.error << "\n";
        return parsed.exitCode;
    }
    const DaemonOptions& options = *parsed.options;
    if (options.check)
        return ServiceCheck::run(options, out);
    try {
        if (options.installRoles) {
            const NetworkAccess::Logins logins =
                NetworkAccess::install(*Database::open(options.database));
            // The start of a configuration file, for /etc/tavrel/server.conf; quoted, as a
            // value with a comma or a semicolon must be.
            out << "[server]\ndatabase = \"" << logins.server << "\"\nreader = \"" << logins.reader
                << "\"\n";
            return 0;
        }
        // Both roles are checked before the first desk is served.
        NetworkAccess::requireRestricted(*Database::open(options.database),
                                         NetworkAccess::Role::Server);
        NetworkAccess::requireRestricted(*Database::open(options.reader),
                                         NetworkAccess::Role::Reader);
        HttpDaemon daemon(options);
        const int port = daemon.bind();
        if (const int metricsPort = daemon.startMetrics())
            out << "tavrel-server: métricas en http://" << options.metricsHost << ':' << metricsPort
                << "/metrics" << Qt::endl;
        out << "tavrel-server: escuchando en " << (options.tls() ? "https://" : "http://")
            << options.host << ':' << port << Qt::endl;
        std::thread stopper([&] {
            int signal = 0;
            while (sigwait(&handled, &signal) == 0 && signal == SIGHUP) {
                // A renewal that fails leaves the server as it was, and says why.
                try {
                    daemon.reloadCertificate();
                } catch (const ModuleError& e) {
                    err << "tavrel-server: se sigue usando el certificado anterior: " << e.message()
                        << Qt::endl;
                }
                try {
                    daemon.reopenAccessLog();
                } catch (const ModuleError& e) {
                    err << "tavrel-server: " << e.message() << Qt::endl;
                }
                daemon.renewConnections();
                out << "tavrel-server: conexiones renovadas" << Qt::endl;
            }
            daemon.stop();
        });
        daemon.run();
        pthread_kill(stopper.native_handle(), SIGTERM);
        stopper.join();
        out << "tavrel-server: detenido" << Qt::endl;
        return 0;
    } catch (const ModuleError& e) {
        err << "tavrel-server: " << e.message() << "\n";
        return 1;
    }
}
