// bench_relacion: the relation window on 1,000 to 100,000 rows of one company, from the
// load entry to the first screen, with the process's peak memory; each measurement in a
// process of its own.

#include "ModuleError.h"
#include "RelacionBench.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QProcess>

#include <algorithm>
#include <cstdio>

using tavrel::bench::RelacionBench;

namespace {

struct Options
{
    QList<int> rows{1000, 20000, 100000};
    int runs = 3;
    QString dataDir;
    bool regenerate = false;
    QString child; // internal: measure this database in this process
};

[[noreturn]] void usage(const char* problem)
{
    std::fprintf(stderr, "bench_relacion: %s\n", problem);
    std::exit(2);
}

Options parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times the relation window from the load entry to its first screen and "
                       "reads its peak memory, against a plain read of the same rows (SQLite)."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("rows"),
                      QStringLiteral("Rows of the company, comma separated (default "
                                     "1000,20000,100000)."),
                      QStringLiteral("N,N")});
    parser.addOption({QStringLiteral("runs"),
                      QStringLiteral("Runs per size; the median is shown (default 3)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("data"),
                      QStringLiteral("Folder for the generated databases (default: bench-data "
                                     "next to the build's bin folder)."),
                      QStringLiteral("DIR")});
    parser.addOption(
        {QStringLiteral("regenerate"), QStringLiteral("Generate the data even when it exists.")});
    parser.addOption({QStringLiteral("child"), QStringLiteral("(internal)"), QStringLiteral("F")});
    parser.process(arguments);

    Options o;
    if (parser.isSet(QStringLiteral("rows"))) {
        o.rows.clear();
        for (const QString& part : parser.value(QStringLiteral("rows")).split(u',')) {
            bool ok = false;
            const int n = part.trimmed().toInt(&ok);
            if (!ok || n <= 0)
                usage("--rows expects positive integers separated by commas");
            o.rows.append(n);
        }
    }
    if (parser.isSet(QStringLiteral("runs"))) {
        bool ok = false;
        o.runs = parser.value(QStringLiteral("runs")).toInt(&ok);
        if (!ok || o.runs <= 0)
            usage("--runs expects a positive integer");
    }
    o.dataDir = parser.isSet(QStringLiteral("data"))
                    ? parser.value(QStringLiteral("data"))
                    : QDir(QCoreApplication::applicationDirPath())
                          .absoluteFilePath(QStringLiteral("../bench-data"));
    o.regenerate = parser.isSet(QStringLiteral("regenerate"));
    o.child = parser.value(QStringLiteral("child"));
    return o;
}

RelacionBench::Result runChild(const QString& database)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), database});
    if (!child.waitForFinished(600000) || child.exitCode() != 0)
        throw tavrel::ModuleError(QStringLiteral("the measuring process failed"));
    const QStringList v = QString::fromLatin1(child.readAllStandardOutput()).split(u' ');
    if (v.size() < 6)
        throw tavrel::ModuleError(QStringLiteral("the measuring process gave no result"));
    RelacionBench::Result r;
    r.rows = v[0].toInt();
    r.firstScreen = v[1].toDouble();
    r.floor = v[2].toDouble();
    r.baseKb = v[3].toLongLong();
    r.peakKb = v[4].toLongLong();
    r.firstScreenCpu = v[5].toDouble();
    return r;
}

template <typename T> T median(QList<T> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const Options options = parse(app.arguments());
    try {
        if (!options.child.isEmpty()) {
            const RelacionBench::Result r = RelacionBench::measure(options.child);
            std::printf("%d %.6f %.6f %lld %lld %.6f\n", r.rows, r.firstScreen, r.floor, r.baseKb,
                        r.peakKb, r.firstScreenCpu);
            return 0;
        }
        QStringList files;
        for (int rows : options.rows)
            files.append(RelacionBench::database(options.dataDir, rows, options.regenerate));

        std::printf("relation window, SQLite, median of %d runs; floor: the company's rows read "
                    "with a plain SELECT\n",
                    options.runs);
        std::printf("%8s %14s %11s %9s %7s %10s %10s\n", "rows", "first screen", "its CPU", "floor",
                    "ratio", "peak MB", "base MB");
        for (const QString& file : files) {
            QList<double> screens, cpus, floors;
            QList<qint64> peaks, bases;
            int rows = 0;
            for (int i = 0; i < options.runs; ++i) {
                const RelacionBench::Result r = runChild(file);
                rows = r.rows;
                screens.append(r.firstScreen);
                cpus.append(r.firstScreenCpu);
                floors.append(r.floor);
                peaks.append(r.peakKb);
                bases.append(r.baseKb);
            }
            const double screen = median(screens), floor = median(floors);
            std::printf("%8d %12.3f s %9.3f s %7.3f s %7.2f %10.1f %10.1f\n", rows, screen,
                        median(cpus), floor, screen / floor, double(median(peaks)) / 1024.0,
                        double(median(bases)) / 1024.0);
            std::fflush(stdout);
        }
    } catch (const tavrel::ModuleError& e) {
        std::fprintf(stderr, "bench_relacion: %s\n", e.what());
        return 1;
    }
    return 0;
}
