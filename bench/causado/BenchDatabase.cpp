#include "BenchDatabase.h"

#include "Database.h"
#include "DemoData.h"
#include "ModuleError.h"
#include "SchemaInstaller.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QUrl>

#include <cstdio>

namespace tavrel::bench {

namespace {

const QString kPostgresName = QStringLiteral("tavrel_bench");

void fill(Database& db, int scale)
{
    QElapsedTimer timer;
    timer.start();
    std::fprintf(stderr, "Generating %d relation rows on %s...\n", scale,
                 qPrintable(db.dialect().engineName()));
    SchemaInstaller::install(db);
    DemoData::create(db);
    const DemoSummary s = DemoData::generate(db, scale);
    std::fprintf(stderr, "  %lld relation rows, %lld movements in %.1f s\n", s.relations,
                 s.movements, double(timer.elapsed()) / 1000.0);
}

QString scaleMark(int scale)
{
    return QStringLiteral("bench_causado scale %1").arg(scale);
}

} // namespace

QString BenchDatabase::sqlite(const QString& dir, int scale, bool regenerate)
{
    if (!QDir().mkpath(dir))
        throw ModuleError(QStringLiteral("could not create the folder %1").arg(dir));
    const QString file = QDir(dir).absoluteFilePath(QStringLiteral("causado-%1.sqlite").arg(scale));
    if (QFile::exists(file) && !regenerate)
        return file;
    const QString partial = file + QStringLiteral(".partial");
    QFile::remove(partial);
    {
        std::unique_ptr<Database> db =
            Database::open(partial, Database::OpenMode::CreateSqliteFile);
        fill(*db, scale);
    }
    QFile::remove(file);
    if (!QFile::rename(partial, file))
        throw ModuleError(QStringLiteral("could not rename %1").arg(partial));
    return file;
}

QString BenchDatabase::postgres(const QString& adminUrl, int scale, bool regenerate)
{
    QUrl url(adminUrl);
    url.setPath(QLatin1Char('/') + kPostgresName);
    std::unique_ptr<Database> admin = Database::open(adminUrl);
    const QVariant mark = admin->queryValue(
        QStringLiteral("SELECT shobj_description(oid, 'pg_database') FROM pg_database "
                       "WHERE datname = :N"),
        {kPostgresName});
    if (!regenerate && mark.toString() == scaleMark(scale))
        return url.toString();
    admin->exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(kPostgresName));
    admin->exec(QStringLiteral("CREATE DATABASE %1").arg(kPostgresName));
    {
        std::unique_ptr<Database> db = Database::open(url.toString());
        fill(*db, scale);
        // As autovacuum would leave it some time later: pages marked all-visible, so the
        // sums read the index alone from the first run on.
        db->exec(QStringLiteral("VACUUM ANALYZE NM_NCMOV"));
    }
    admin->exec(QStringLiteral("COMMENT ON DATABASE %1 IS %2")
                    .arg(kPostgresName, SqlDialect::quoted(scaleMark(scale))));
    return url.toString();
}

} // namespace tavrel::bench
