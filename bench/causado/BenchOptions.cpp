#include "BenchOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace tavrel::bench {

namespace {

int positive(const QCommandLineParser& parser, const QString& name, int fallback)
{
    if (!parser.isSet(name))
        return fallback;
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value <= 0) {
        std::fprintf(stderr, "--%s expects a positive integer, not \"%s\"\n", qPrintable(name),
                     qPrintable(parser.value(name)));
        std::exit(2);
    }
    return value;
}

} // namespace

BenchOptions BenchOptions::parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times the caused-value update (yearly and date path) against its floor, a "
                       "grouped aggregate over the same movements plus one rewrite of every "
                       "relation row, on SQLite and, when TAVREL_TEST_PG is set, on PostgreSQL."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("scale"),
                      QStringLiteral("Relation rows (default 10000; 100000 for the full "
                                     "size, 5 million movements)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("runs"),
                      QStringLiteral("Runs per measurement; the median is shown (default 3)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("data"),
                      QStringLiteral("Folder for the generated SQLite databases (default: "
                                     "bench-data next to the build's bin folder)."),
                      QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("engine"),
                      QStringLiteral("Only this engine: sqlite or postgres."),
                      QStringLiteral("NAME")});
    parser.addOption(
        {QStringLiteral("regenerate"), QStringLiteral("Generate the data even when it exists.")});
    parser.process(arguments);

    BenchOptions o;
    o.scale = positive(parser, QStringLiteral("scale"), o.scale);
    o.runs = positive(parser, QStringLiteral("runs"), o.runs);
    o.dataDir = parser.isSet(QStringLiteral("data"))
                    ? parser.value(QStringLiteral("data"))
                    : QDir(QCoreApplication::applicationDirPath())
                          .absoluteFilePath(QStringLiteral("../bench-data"));
    o.regenerate = parser.isSet(QStringLiteral("regenerate"));
    if (parser.isSet(QStringLiteral("engine"))) {
        const QString engine = parser.value(QStringLiteral("engine")).toLower();
        if (engine != QLatin1String("sqlite") && engine != QLatin1String("postgres")) {
            std::fprintf(stderr, "--engine expects sqlite or postgres\n");
            std::exit(2);
        }
        o.sqlite = engine == QLatin1String("sqlite");
        o.postgres = !o.sqlite;
    }
    return o;
}

} // namespace tavrel::bench
