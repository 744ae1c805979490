// bench_relacion: the relation window on 1,000 to 100,000 rows of one company, from the
// load entry to the first screen, with the process's peak memory; each measurement in a
// process of its own.

#include "BenchArguments.h"
#include "BenchProcess.h"
#include "LocalZone.h"
#include "ModuleError.h"
#include "RelacionBench.h"

#include <QApplication>
#include <QProcess>

#include <cstdio>

using tavrel::bench::BenchArguments;
using tavrel::bench::BenchProcess;
using tavrel::bench::RelacionBench;

namespace {

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

} // namespace

int main(int argc, char** argv)
{
    tavrel::LocalZone::pin(); // as the host does
    BenchProcess::offscreenWithoutDisplay();
    QApplication app(argc, argv);
    BenchArguments args(
        QStringLiteral("Times the relation window from the load entry to its first screen and "
                       "reads its peak memory, against a plain read of the same rows (SQLite)."));
    args.addOption(QStringLiteral("rows"),
                   QStringLiteral("Rows of the company, comma separated (default "
                                  "1000,20000,100000)."),
                   QStringLiteral("N,N"));
    args.addRuns(3);
    args.addOption(QStringLiteral("child"), QStringLiteral("(internal)"), QStringLiteral("F"));
    args.process(app.arguments());
    const QString child = args.value(QStringLiteral("child"));
    const int runs = args.runs();
    const auto median = [](const auto& values) { return BenchProcess::median(values); };
    try {
        if (!child.isEmpty()) {
            const RelacionBench::Result r = RelacionBench::measure(child);
            std::printf("%d %.6f %.6f %lld %lld %.6f\n", r.rows, r.firstScreen, r.floor, r.baseKb,
                        r.peakKb, r.firstScreenCpu);
            return 0;
        }
        QStringList files;
        for (int rows : args.positiveList(QStringLiteral("rows"), {1000, 20000, 100000}))
            files.append(RelacionBench::database(args.dataDir(), rows, args.regenerate()));

        std::printf("relation window, SQLite, median of %d runs; floor: the company's rows read "
                    "with a plain SELECT\n",
                    runs);
        std::printf("%8s %14s %11s %9s %7s %10s %10s\n", "rows", "first screen", "its CPU", "floor",
                    "ratio", "peak MB", "base MB");
        for (const QString& file : files) {
            QList<double> screens, cpus, floors;
            QList<qint64> peaks, bases;
            int rows = 0;
            for (int i = 0; i < runs; ++i) {
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
