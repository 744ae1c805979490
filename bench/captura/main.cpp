// bench_captura: the lookup dialog on a long account list; opening and the incremental
// search, against floors measured in the same run.

#include "CapturaBench.h"
#include "ModuleError.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include <algorithm>
#include <cstdio>

using tavrel::bench::CapturaBench;

namespace {

int positive(const QCommandLineParser& parser, const QString& name, int fallback)
{
    if (!parser.isSet(name))
        return fallback;
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value <= 0) {
        std::fprintf(stderr, "--%s expects a positive integer\n", qPrintable(name));
        std::exit(2);
    }
    return value;
}

double median(QList<double> values)
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
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times the lookup dialog on a long account list (SQLite): opening with "
                       "every row and each keystroke of the incremental search."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("accounts"),
                      QStringLiteral("Rows of the list (default 100000)."), QStringLiteral("N")});
    parser.addOption({QStringLiteral("runs"),
                      QStringLiteral("Openings of the dialog; medians are shown (default 3)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("data"),
                      QStringLiteral("Folder for the generated databases (default: bench-data "
                                     "next to the build's bin folder)."),
                      QStringLiteral("DIR")});
    parser.addOption(
        {QStringLiteral("regenerate"), QStringLiteral("Generate the data even when it exists.")});
    parser.process(app);
    const int accounts = positive(parser, QStringLiteral("accounts"), 100000);
    const int runs = positive(parser, QStringLiteral("runs"), 3);
    const QString dir = parser.isSet(QStringLiteral("data"))
                            ? parser.value(QStringLiteral("data"))
                            : QDir(QCoreApplication::applicationDirPath())
                                  .absoluteFilePath(QStringLiteral("../bench-data"));
    try {
        const QString file =
            CapturaBench::database(dir, accounts, parser.isSet(QStringLiteral("regenerate")));
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
