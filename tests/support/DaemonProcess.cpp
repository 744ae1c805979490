#include "DaemonProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <csignal>

using namespace Qt::StringLiterals;

namespace tavrel::test {

QStringList DaemonProcess::installRoles(const QString& ownerUrl, QString* errors)
{
    QProcess install;
    install.start(QStringLiteral(TAVREL_SERVER_BIN),
                  {u"--install-roles"_s, u"--database"_s, ownerUrl});
    install.waitForFinished(60000);
    // The lines of a configuration file: [server], database = "URL", reader = "URL".
    const QStringList lines =
        QString::fromUtf8(install.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    if (errors)
        *errors = QString::fromUtf8(install.readAllStandardError());
    QStringList roles;
    for (const QString& line : lines.mid(1))
        roles << u"--"_s + line.section(u" = "_s, 0, 0) << line.section(u'"', 1, 1);
    if (install.exitCode() != 0 || lines.value(0) != u"[server]"_s || roles.size() != 4)
        return {};
    return roles;
}

DaemonProcess::DaemonProcess(const QStringList& roles, const QStringList& extra)
{
    m_process.setStandardErrorFile(m_dir.filePath(u"errors.log"_s));
    m_process.start(QStringLiteral(TAVREL_SERVER_BIN),
                    roles +
                        QStringList{u"--listen"_s, u"127.0.0.1:0"_s, u"--workers"_s, u"4"_s,
                                    // The tests' desks all come from 127.0.0.1; the limit
                                    // per address has attacks of its own.
                                    u"--max-per-address"_s, u"64"_s} +
                        extra);
    const auto listening = waitFor(QRegularExpression(
        u"(?:métricas en http://[^:]+:(\\d+)/metrics\\n.*)?escuchando en https?://[^:]+:(\\d+)"_s));
    if (listening.hasMatch()) {
        m_metricsPort = listening.captured(1).toInt();
        m_port = listening.captured(2).toInt();
    } else
        qWarning("tavrel-server did not start: %s", qPrintable(errors()));
}

QRegularExpressionMatch DaemonProcess::waitFor(const QRegularExpression& pattern)
{
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        m_out += QString::fromUtf8(m_process.readAllStandardOutput());
        const auto match = pattern.match(m_out);
        if (match.hasMatch()) {
            m_out.remove(0, match.capturedEnd());
            return match;
        }
        m_process.waitForReadyRead(200);
    }
    return {};
}

bool DaemonProcess::renewConnections()
{
    if (m_process.state() != QProcess::Running || ::kill(pid_t(m_process.processId()), SIGHUP))
        return false;
    return waitFor(QRegularExpression(u"conexiones renovadas"_s)).hasMatch();
}

DaemonProcess::~DaemonProcess()
{
    stop();
}

int DaemonProcess::stop()
{
    if (m_process.state() == QProcess::Running) {
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(1000);
            return -1;
        }
    }
    return m_process.exitCode();
}

void DaemonProcess::kill()
{
    m_process.kill();
    m_process.waitForFinished(10000);
}

QString DaemonProcess::errors()
{
    QFile file(m_dir.filePath(u"errors.log"_s));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace tavrel::test
