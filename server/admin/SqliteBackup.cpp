#include "SqliteBackup.h"

#include "ModuleError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <sqlite3.h>

namespace tavrel {

namespace {

using Connection = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

Connection open(const QString& file, int flags)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &db, flags, nullptr);
    Connection connection(db, sqlite3_close);
    if (rc != SQLITE_OK)
        throw ModuleError(QStringLiteral("No se puede abrir %1: %2")
                              .arg(file, QString::fromUtf8(db ? sqlite3_errmsg(db)
                                                              : sqlite3_errstr(rc))));
    // Desks that write meanwhile hold their locks for a moment only.
    sqlite3_busy_timeout(db, 10000);
    return connection;
}

// The answer of PRAGMA integrity_check: "ok", or what is wrong.
QString integrity(sqlite3* db)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) != SQLITE_OK)
        return QString::fromUtf8(sqlite3_errmsg(db));
    const auto finish = qScopeGuard([statement] { sqlite3_finalize(statement); });
    QStringList problems;
    while (sqlite3_step(statement) == SQLITE_ROW)
        problems << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    return problems.join(QLatin1String("; "));
}

} // namespace

int SqliteBackup::copy(const QString& source, const QString& target)
{
    if (!QFileInfo(source).isFile())
        throw ModuleError(QStringLiteral("No existe la base de datos SQLite %1").arg(source));
    if (QFileInfo::exists(target))
        throw ModuleError(
            QStringLiteral("%1 ya existe; la copia no reemplaza un archivo").arg(target));
    const QString partial = target + QStringLiteral(".parcial");
    QFile::remove(partial);
    auto cleanUp = qScopeGuard([&] { QFile::remove(partial); });
    int pages = 0;
    {
        const Connection from = open(source, SQLITE_OPEN_READONLY);
        const Connection to = open(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
        if (!backup)
            throw ModuleError(QStringLiteral("No se pudo copiar %1: %2")
                                  .arg(source, QString::fromUtf8(sqlite3_errmsg(to.get()))));
        // All pages in one step: the copy is one read transaction of the source.
        int rc = sqlite3_backup_step(backup, -1);
        for (int tries = 0; (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && tries < 100; ++tries) {
            sqlite3_sleep(100);
            rc = sqlite3_backup_step(backup, -1);
        }
        pages = sqlite3_backup_pagecount(backup);
        sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE)
            throw ModuleError(QStringLiteral("No se pudo copiar %1: %2")
                                  .arg(source, QString::fromUtf8(sqlite3_errstr(rc))));
        if (const QString answer = integrity(to.get()); answer != QLatin1String("ok"))
            throw ModuleError(QStringLiteral("La copia de %1 no pasa la revisión de integridad: %2")
                                  .arg(source, answer));
    }
    if (!QFile::rename(partial, target))
        throw ModuleError(QStringLiteral("No se pudo dar a la copia el nombre %1").arg(target));
    cleanUp.dismiss();
    return pages;
}

QString SqliteBackup::datedName(const QString& file, const QDateTime& when)
{
    const QFileInfo info(file);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString base = info.dir().filePath(info.completeBaseName() + QLatin1Char('-'));
    const QString byDay = base + when.toString(QStringLiteral("yyyy-MM-dd")) + suffix;
    if (!QFileInfo::exists(byDay))
        return byDay;
    return base + when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")) + suffix;
}

} // namespace tavrel
