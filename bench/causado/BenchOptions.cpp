#include "BenchOptions.h"

#include "BenchArguments.h"

namespace tavrel::bench {

BenchOptions BenchOptions::parse(const QStringList& arguments)
{
    BenchArguments args(
        QStringLiteral("Times the caused-value update (yearly and date path) against its floor, a "
                       "grouped aggregate over the same movements plus one rewrite of every "
                       "relation row, on SQLite and, when TAVREL_TEST_PG is set, on PostgreSQL."));
    args.addOption(QStringLiteral("scale"),
                   QStringLiteral("Relation rows (default 10000; 100000 for the full "
                                  "size, 5 million movements)."),
                   QStringLiteral("N"));
    args.addRuns(3);
    args.addOption(QStringLiteral("engine"),
                   QStringLiteral("Only this engine: sqlite or postgres."), QStringLiteral("NAME"));
    args.process(arguments);

    BenchOptions o;
    o.scale = args.positive(QStringLiteral("scale"), o.scale);
    o.runs = args.runs();
    o.dataDir = args.dataDir();
    o.regenerate = args.regenerate();
    if (args.isSet(QStringLiteral("engine"))) {
        const QString engine = args.value(QStringLiteral("engine")).toLower();
        if (engine != QLatin1String("sqlite") && engine != QLatin1String("postgres"))
            BenchArguments::fail(QStringLiteral("--engine expects sqlite or postgres"));
        o.sqlite = engine == QLatin1String("sqlite");
        o.postgres = !o.sqlite;
    }
    return o;
}

} // namespace tavrel::bench
