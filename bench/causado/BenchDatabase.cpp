#include "BenchDatabase.h"

#include "BenchData.h"
#include "Database.h"
#include "DemoData.h"
#include "ModuleError.h"
#include "SchemaInstaller.h"

#include <QElapsedTimer>
#include <QUrl>

#include <cstdio>

namespace tavrel::bench {

namespace {

const QString kPostgresName = QStringLiteral("tavrel_bench");

void fill(Database& db, int scale, bool withDemo)
{
    QElapsedTimer timer;
    timer.start();
    std::fprintf(stderr, "Generating %d relation rows on %s...\n", scale,
                 qPrintable(db.dialect().engineName()));
    if (withDemo) {
        SchemaInstaller::install(db);
        DemoData::create(db);
    }
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
    return BenchData::sqliteFile(dir, QStringLiteral("causado-%1.sqlite").arg(scale), regenerate,
                                 [scale](Database& db) { fill(db, scale, false); });
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
        fill(*db, scale, true);
        // As autovacuum would leave it some time later: pages marked all-visible, so the
        // sums read the index alone from the first run on.
        db->exec(QStringLiteral("VACUUM ANALYZE NM_NCMOV"));
    }
    admin->exec(QStringLiteral("COMMENT ON DATABASE %1 IS %2")
                    .arg(kPostgresName, SqlDialect::quoted(scaleMark(scale))));
    return url.toString();
}

} // namespace tavrel::bench
