#include "BenchData.h"

#include "Database.h"
#include "DemoData.h"
#include "ModuleError.h"
#include "SchemaInstaller.h"

#include <QDir>
#include <QFile>

namespace tavrel::bench {

QString BenchData::sqliteFile(const QString& dir, const QString& name, bool regenerate,
                              const std::function<void(Database&)>& fill)
{
    if (!QDir().mkpath(dir))
        throw ModuleError(QStringLiteral("could not create the folder %1").arg(dir));
    const QString file = QDir(dir).absoluteFilePath(name);
    if (QFile::exists(file) && !regenerate)
        return file;
    const QString partial = file + QStringLiteral(".partial");
    QFile::remove(partial);
    {
        std::unique_ptr<Database> db =
            Database::open(partial, Database::OpenMode::CreateSqliteFile);
        SchemaInstaller::install(*db);
        DemoData::create(*db);
        fill(*db);
    }
    QFile::remove(file);
    if (!QFile::rename(partial, file))
        throw ModuleError(QStringLiteral("could not rename %1").arg(partial));
    return file;
}

} // namespace tavrel::bench
