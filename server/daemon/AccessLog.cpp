#include "AccessLog.h"

#include "ModuleError.h"

#include <QDateTime>
#include <QFile>
#include <mutex>

namespace tavrel {

namespace {

std::unique_ptr<QFile> openLog(const QString& path)
{
    auto file = std::make_unique<QFile>(path);
    const bool opened = path.isEmpty()
                            ? file->open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered)
                            : file->open(QIODevice::Append | QIODevice::Text);
    if (!opened)
        throw ModuleError(QStringLiteral("No se puede escribir el registro de accesos %1: %2")
                              .arg(path, file->errorString()));
    return file;
}

} // namespace

struct AccessLog::Private
{
    QString path;
    std::unique_ptr<QFile> file;
    std::mutex mutex;
};

AccessLog::AccessLog(const QString& path) : d(std::make_unique<Private>())
{
    d->path = path;
    d->file = openLog(path);
}

AccessLog::~AccessLog() = default;

void AccessLog::reopen()
{
    if (d->path.isEmpty())
        return;
    std::unique_ptr<QFile> file = openLog(d->path);
    const std::lock_guard lock(d->mutex);
    d->file = std::move(file);
}

QString AccessLog::field(const QString& text, bool spaces)
{
    if (text.isEmpty())
        return QStringLiteral("-");
    QString escaped;
    escaped.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (c == U'\\')
            escaped += QLatin1String("\\\\");
        else if (!QChar::isPrint(c) || (c == U' ' && !spaces))
            escaped += QStringLiteral("\\x{%1}").arg(uint(c), 0, 16);
        else
            escaped += QString::fromUcs4(&c, 1);
    }
    return escaped;
}

void AccessLog::write(const QString& user, const QString& call, const QString& target, int rows,
                      qint64 milliseconds, int status)
{
    const QByteArray line =
        QStringLiteral("%1 %2 %3 %4 rows=%5 ms=%6 status=%7\n")
            .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs), field(user, false),
                 field(call, false), field(target.left(80), true))
            .arg(rows)
            .arg(milliseconds)
            .arg(status)
            .toUtf8();
    const std::lock_guard lock(d->mutex);
    d->file->write(line);
    d->file->flush();
}

} // namespace tavrel
