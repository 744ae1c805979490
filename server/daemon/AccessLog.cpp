#include "AccessLog.h"

#include "ModuleError.h"

#include <QDateTime>
#include <QFile>
#include <mutex>

namespace tavrel {

struct AccessLog::Private
{
    QFile file;
    std::mutex mutex;
};

AccessLog::AccessLog(const QString& path) : d(std::make_unique<Private>())
{
    const bool opened =
        path.isEmpty()
            ? d->file.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered)
            : (d->file.setFileName(path), d->file.open(QIODevice::Append | QIODevice::Text));
    if (!opened)
        throw ModuleError(QStringLiteral("No se puede escribir el registro de accesos %1: %2")
                              .arg(path, d->file.errorString()));
}

AccessLog::~AccessLog() = default;

void AccessLog::write(const QString& user, const QString& call, const QString& target, int rows,
                      qint64 milliseconds, int status)
{
    const QString clean = QString(target).replace(u'\n', u' ').left(80);
    const QByteArray line = QStringLiteral("%1 %2 %3 %4 rows=%5 ms=%6 status=%7\n")
                                .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs),
                                     user.isEmpty() ? QStringLiteral("-") : user, call,
                                     clean.isEmpty() ? QStringLiteral("-") : clean)
                                .arg(rows)
                                .arg(milliseconds)
                                .arg(status)
                                .toUtf8();
    const std::lock_guard lock(d->mutex);
    d->file.write(line);
    d->file.flush();
}

} // namespace tavrel
