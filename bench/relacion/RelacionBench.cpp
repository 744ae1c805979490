#include "RelacionBench.h"

#include "BenchData.h"
#include "BenchProcess.h"
#include "Database.h"
#include "DemoData.h"
#include "ModuleError.h"
#include "ModuleWindow.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cstdio>

namespace tavrel::bench {

namespace {

constexpr int kCompanies = 5; // the generator deals its rows to companies 11..15 in turn

double readFloor(const QString& database)
{
    std::unique_ptr<Database> db = Database::open(database);
    QElapsedTimer timer;
    timer.start();
    QSqlQuery query = db->exec(
        QStringLiteral("SELECT * FROM NM_RPCOS WHERE COD_EMPR = %1").arg(RelacionBench::company));
    const int columns = query.record().count();
    while (query.next()) {
        for (int c = 0; c < columns; ++c)
            query.value(c);
    }
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

QString RelacionBench::database(const QString& dir, int rows, bool regenerate)
{
    return BenchData::sqliteFile(
        dir, QStringLiteral("relacion-%1.sqlite").arg(rows), regenerate, [rows](Database& db) {
            std::fprintf(stderr, "Generating %d relation rows per company...\n", rows);
            DemoData::generate(db, rows * kCompanies, 0);
        });
}

RelacionBench::Result RelacionBench::measure(const QString& database)
{
    ModuleWindow window;
    Result result;
    result.baseKb = BenchProcess::peakMemoryKb();
    const ModuleWindow::Opened opened =
        window.open({QStringLiteral("local"), database, QStringLiteral("JPEREZ"),
                     QStringLiteral("Tavrel2026"), company});
    result.firstScreen = opened.seconds;
    result.firstScreenCpu = opened.cpuSeconds;
    result.rows = opened.rows;
    result.peakKb = BenchProcess::peakMemoryKb();
    result.floor = readFloor(database);
    return result;
}

} // namespace tavrel::bench
