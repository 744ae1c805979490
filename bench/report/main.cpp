// bench_report_pdf: the relation report of the window (PDF export and preview) on
// generated data at several sizes, against a floor measured in the same run: the same
// texts, boxes and logo drawn straight onto a PDF writer. Each measurement runs in a
// child process of its own, so that its peak memory (VmHWM) is its own.
//
//   bench_report_pdf [--scale N] [--rows 500,5000,20000] [--data DIR] [--regenerate]
//                    [--keep DIR]
//
// --scale is the demo data scale of `tavrel init-db --demo --scale`: N relation rows in
// five companies; the largest report has N/5 rows.

#include "BenchArguments.h"
#include "BenchData.h"
#include "BenchProcess.h"
#include "Database.h"
#include "DemoData.h"
#include "ModuleError.h"
#include "ReportBench.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using tavrel::bench::BenchArguments;
using tavrel::bench::BenchData;
using tavrel::bench::BenchProcess;
using tavrel::bench::ReportBench;

namespace {

constexpr int kFirstCompany = 11; // the generated companies are 11..15

// A database with the demo at `scale`, each generated company cut down to one of the
// sizes (largest first); kept in `dir` between runs.
QString prepareDatabase(const QString& dir, int scale, const QList<int>& sizes, bool regenerate)
{
    QStringList parts;
    for (int size : sizes)
        parts << QString::number(size);
    const QString name = QStringLiteral("report-%1-%2.sqlite").arg(scale).arg(parts.join(u'-'));
    return BenchData::sqliteFile(dir, name, regenerate, [&](tavrel::Database& db) {
        std::fprintf(stderr, "Generating the demo at scale %d...\n", scale);
        tavrel::DemoData::generate(db, scale);
        for (qsizetype i = 0; i < sizes.size(); ++i) {
            db.exec(QStringLiteral("DELETE FROM NM_RPCOS WHERE rowid IN (SELECT rowid FROM "
                                   "NM_RPCOS WHERE COD_EMPR = %1 ORDER BY rowid LIMIT -1 "
                                   "OFFSET %2)")
                        .arg(kFirstCompany + i)
                        .arg(sizes[i]));
        }
        db.exec(QStringLiteral("DELETE FROM NM_NCMOV")); // the report reads no movement
        db.exec(QStringLiteral("VACUUM"));
    });
}

int child(const QStringList& args)
{
    const auto mode = ReportBench::Mode(args.value(0).toInt());
    ReportBench bench(args.value(1), args.value(2).toInt());
    const ReportBench::Result r = bench.run(mode, args.value(3));
    std::printf("%d %.4f %.4f %lld %lld %lld %.4f\n", r.rows, r.fetchSeconds, r.seconds,
                (long long)r.bytes, (long long)r.peakKb, (long long)r.dataPeakKb, r.wallSeconds);
    return 0;
}

ReportBench::Result measure(ReportBench::Mode mode, const QString& database, int company,
                            const QString& pdf)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--child"), QString::number(int(mode)), database,
                   QString::number(company), pdf});
    process.waitForFinished(-1);
    const QStringList v = QString::fromLatin1(process.readAllStandardOutput()).split(u' ');
    if (process.exitCode() != 0 || v.size() < 7)
        throw tavrel::ModuleError(QStringLiteral("the measurement failed"));
    return {v[0].toInt(),      v[1].toDouble(),   v[2].toDouble(),  v[6].toDouble(),
            v[3].toLongLong(), v[4].toLongLong(), v[5].toLongLong()};
}

} // namespace

int main(int argc, char** argv)
{
    BenchProcess::offscreenWithoutDisplay();
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.value(1) == u"--child")
        return child(arguments.mid(2));

    BenchArguments args(QStringLiteral(
        "Times the relation report (PDF export and preview) against texts, boxes and logo "
        "drawn straight onto a PDF writer."));
    args.addOption(QStringLiteral("scale"),
                   QStringLiteral("Demo data scale: relation rows in five companies (default "
                                  "100000)."),
                   QStringLiteral("N"));
    args.addOption(QStringLiteral("rows"),
                   QStringLiteral("Report sizes (default 500,5000 and the scale's fifth)."),
                   QStringLiteral("LIST"));
    args.addOption(QStringLiteral("keep"),
                   QStringLiteral("Keeps the reports' PDF files in DIR (relacion-ROWS.pdf)."),
                   QStringLiteral("DIR"));
    args.process(arguments);
    const int scale = args.positive(QStringLiteral("scale"), 100000);
    QList<int> sizes = args.positiveList(QStringLiteral("rows"), {500, 5000, scale / 5});
    std::sort(sizes.begin(), sizes.end(), std::greater<>());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    sizes.removeIf([scale](int size) { return size > scale / 5; });
    if (sizes.isEmpty() || sizes.size() > 5) {
        std::fprintf(stderr, "between one and five sizes of at most %d rows\n", scale / 5);
        return 2;
    }
    try {
        const QString database = prepareDatabase(args.dataDir(), scale, sizes, args.regenerate());
        QTemporaryDir scratch;
        const QDir dir(args.isSet(QStringLiteral("keep")) ? args.value(QStringLiteral("keep"))
                                                          : scratch.path());
        if (!dir.mkpath(QStringLiteral(".")))
            BenchArguments::fail(QStringLiteral("cannot create %1").arg(dir.path()));
        std::printf("relation report; times in CPU seconds of the step; ratios to the floor of "
                    "the same size (texts, boxes and logo drawn straight onto a PDF writer);\n"
                    "walk: the relation's rows visited and their texts read (the per-row "
                    "look-ups), which report and floor both do; engine: (report - walk) / "
                    "(floor - walk)\n");
        std::printf("%6s %7s %7s | %8s %8s %6s %6s | %9s %9s %6s | %7s %7s %8s | %9s %9s\n", "rows",
                    "fetch s", "walk s", "report s", "floor s", "ratio", "engine", "report KB",
                    "floor KB", "ratio", "peak MB", "data MB", "floor MB", "preview s", "(clock)");
        std::vector<std::pair<int, ReportBench::Result>> reports;
        for (qsizetype i = sizes.size() - 1; i >= 0; --i) {
            const int company = kFirstCompany + int(i);
            const QString pdf = dir.filePath(QStringLiteral("relacion-%1.pdf").arg(sizes[i]));
            const auto r = measure(ReportBench::Mode::Report, database, company, pdf);
            const auto f = measure(ReportBench::Mode::Floor, database, company,
                                   scratch.filePath(QStringLiteral("piso.pdf")));
            const auto p = measure(ReportBench::Mode::Preview, database, company, QString());
            const auto w = measure(ReportBench::Mode::Walk, database, company, QString());
            std::printf("%6d %7.2f %7.3f | %8.3f %8.3f %6.2f %6.2f | %9lld %9lld %6.2f | %7.1f "
                        "%7.1f %8.1f | %9.3f %9.3f\n",
                        r.rows, r.fetchSeconds, w.seconds, r.seconds, f.seconds,
                        r.seconds / f.seconds, (r.seconds - w.seconds) / (f.seconds - w.seconds),
                        (long long)r.bytes / 1024, (long long)f.bytes / 1024,
                        double(r.bytes) / double(f.bytes), r.peakKb / 1024.0, r.dataPeakKb / 1024.0,
                        f.peakKb / 1024.0, p.seconds, p.wallSeconds);
            std::fflush(stdout);
            reports.emplace_back(r.rows, r);
        }
        const auto& [smallRows, small] = reports.front();
        const auto& [largeRows, large] = reports.back();
        if (reports.size() > 1) {
            std::printf("peak of %d rows / peak of %d rows: %.2f (%+.1f MB)\n", largeRows,
                        smallRows, double(large.peakKb) / double(small.peakKb),
                        (large.peakKb - small.peakKb) / 1024.0);
            const auto& [midRows, mid] = reports[reports.size() - 2];
            std::printf("time of %d rows / time of %d rows: %.2f\n", largeRows, midRows,
                        large.seconds / mid.seconds);
        }
    } catch (const tavrel::ModuleError& error) {
        std::fprintf(stderr, "bench_report_pdf: %s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
