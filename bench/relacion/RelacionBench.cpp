#include "RelacionBench.h"

#include "AppServerFactory.h"
#include "BenchData.h"
#include "BenchProcess.h"
#include "Database.h"
#include "DemoData.h"
#include "ModuleError.h"
#include "SessionServices.h"
#include "VEdUvura.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QLibrary>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>

#include <cstdio>
#include <ctime>

namespace tavrel::bench {

namespace {

constexpr int kCompanies = 5; // the generator deals its rows to companies 11..15 in turn

const char16_t* utf16(const QString& text)
{
    return reinterpret_cast<const char16_t*>(text.utf16());
}

// Waits until the view has painted its rows once.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QWidget* viewport) { viewport->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

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
    QLibrary module(QCoreApplication::applicationDirPath() + QStringLiteral("/VEdUvura.so"));
    if (!module.load())
        throw ModuleError(module.errorString());
    const auto load = reinterpret_cast<VMiLoadDllWFn>(module.resolve("VMiLoadDllW"));
    const auto unload = reinterpret_cast<VMiUnLoadDllFn>(module.resolve("VMiUnLoadDll"));
    if (!load || !unload)
        throw ModuleError(QStringLiteral("VEdUvura.so lacks its entry points"));
    const SessionServices::Scope host{{
        .connectServer = AppServerFactory::forLogin({}),
        .showMessage = [](const QString& message,
                          auto) { std::fprintf(stderr, "message: %s\n", qPrintable(message)); },
    }};

    Result result;
    result.baseKb = BenchProcess::peakMemoryKb();
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    const quintptr handle = load(0, u"local", u"bench", utf16(database), u"JPEREZ", u"Tavrel2026",
                                 utf16(QString::number(company)), u"", u"3.1.0;01/01/2026");
    QWidget* window = QWidget::find(WId(handle));
    auto* grid = window ? window->findChild<QTableView*>() : nullptr;
    if (!grid)
        throw ModuleError(QStringLiteral("the load entry gave no window with a grid"));
    FirstPaint paint(grid->viewport());
    window->resize(1024, 700);
    window->show();
    QElapsedTimer patience;
    patience.start();
    while (!paint.painted && patience.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    result.firstScreen = double(timer.nsecsElapsed()) / 1e9;
    result.firstScreenCpu = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    result.peakKb = BenchProcess::peakMemoryKb();
    result.rows = grid->model()->rowCount();
    unload();
    result.floor = readFloor(database);
    return result;
}

} // namespace tavrel::bench
