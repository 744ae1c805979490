#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tavrel::test {

// A tavrel-server process on a loopback port of its own, for the tests that go through
// the network. Stopped with SIGTERM by the destructor.
class DaemonProcess
{
public:
    // Makes the server's roles with the owner's URL; returns the arguments that give
    // them to a server (--database and --reader), or nothing when that failed.
    static QStringList installRoles(const QString& ownerUrl, QString* errors = nullptr);

    // Starts a server with the roles and the extra arguments. started() tells whether it
    // listens.
    explicit DaemonProcess(const QStringList& roles, const QStringList& extra = {});
    ~DaemonProcess();

    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    int port() const { return m_port; }
    // The port of /metrics, 0 without --metrics.
    int metricsPort() const { return m_metricsPort; }
    bool started() const { return m_port > 0; }
    // Sends SIGTERM and waits; returns the exit code (-1 when it had to be killed).
    int stop();
    qint64 processId() const { return m_process.processId(); }
    // Sends SIGKILL and waits.
    void kill();
    // Sends SIGHUP and waits until the server says its workers will connect anew (after
    // reading its certificate again and reopening its access log).
    bool renewConnections();
    // What the server wrote to standard error so far.
    QString errors();

private:
    // Reads standard output until `pattern` matches in what was not matched yet.
    QRegularExpressionMatch waitFor(const QRegularExpression& pattern);

    // Standard error (the access log among it) goes to a file: a pipe that nobody reads
    // fills up, and then the server stops in the middle of a request.
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_out;
    int m_port = 0;
    int m_metricsPort = 0;
};

} // namespace tavrel::test
