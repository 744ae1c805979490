// bench_captura: the lookup dialog on a long account list; opening and the incremental
// search, against floors measured in the same run.

#include "BenchArguments.h"
#include "BenchProcess.h"
#include "CapturaBench.h"
#include "ModuleError.h"

#include <QApplication>
#include <cstdio>

using tavrel::bench::BenchArguments;
using tavrel::bench::BenchProcess;
using tavrel::bench::CapturaBench;

int main(int argc, char** argv)
{
    BenchProcess::offscreenWithoutDisplay();
    QApplication app(argc, argv);
    BenchArguments args(
        QStringLiteral("Times the lookup dialog on a long account list (SQLite): opening with "
                       "every row and each keystroke of the incremental search."));
    args.addOption(QStringLiteral("accounts"), QStringLiteral("Rows of the list (default 100000)."),
                   QStringLiteral("N"));
    args.addRuns(3);
    args.process(app.arguments());
    const int accounts = args.positive(QStringLiteral("accounts"), 100000);
    const int runs = args.runs();
    const auto median = BenchProcess::median<double>;
    try {
        const QString file = CapturaBench::database(args.dataDir(), accounts, args.regenerate());
        QList<double> open, openFloor, keyMedian, keyMax, keyCpuMedian, keyCpuMax, value, repaint;
        CapturaBench::Result r;
        for (int i = 0; i < runs; ++i) {
            r = CapturaBench::measure(file);
            open.append(r.open);
            openFloor.append(r.openFloor);
            keyMedian.append(r.keyMedian);
            keyMax.append(r.keyMax);
            keyCpuMedian.append(r.keyCpuMedian);
            keyCpuMax.append(r.keyCpuMax);
            value.append(r.valueSearch);
            repaint.append(r.repaint);
        }
        const double floor = median(openFloor), paint = median(repaint);
        std::printf("lookup dialog, SQLite, %d rows, median of %d openings, %d keystrokes each\n",
                    r.rows, runs, r.keystrokes);
        std::printf("%-22s %10s %8s  %s\n", "measurement", "ms", "ratio", "floor");
        const auto line = [](const char* what, double s, double f, const char* floorName) {
            std::printf("%-22s %10.2f %8.2f  %s\n", what, s * 1000, s / f, floorName);
        };
        line("open", median(open), floor, "the SELECT read with a plain query");
        line("keystroke, median", median(keyMedian), paint, "a repaint of the grid");
        line("keystroke, max", median(keyMax), paint, "a repaint of the grid");
        line("keystroke CPU, median", median(keyCpuMedian), paint, "a repaint of the grid");
        line("keystroke CPU, max", median(keyCpuMax), paint, "a repaint of the grid");
        line("value search", median(value), paint, "a repaint of the grid");
        std::printf("floors: plain query %.2f ms, grid repaint %.2f ms\n", floor * 1000,
                    paint * 1000);
    } catch (const tavrel::ModuleError& e) {
        std::fprintf(stderr, "bench_captura: %s\n", e.what());
        return 1;
    }
    return 0;
}
