#include "ModuleWindow.h"

#include "AppServerFactory.h"
#include "ModuleError.h"
#include "SessionServices.h"
#include "VEdUvura.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QLibrary>
#include <QTableView>

#include <cstdio>
#include <ctime>

namespace tavrel::bench {

namespace {

const char16_t* utf16(const QString& text)
{
    return reinterpret_cast<const char16_t*>(text.utf16());
}

// Notes the first paint of the view's rows.
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

} // namespace

struct ModuleWindow::Private
{
    QLibrary module{QCoreApplication::applicationDirPath() + QStringLiteral("/VEdUvura.so")};
    VMiLoadDllWFn load = nullptr;
    VMiUnLoadDllFn unload = nullptr;
};

ModuleWindow::ModuleWindow() : d(std::make_unique<Private>())
{
    if (!d->module.load())
        throw ModuleError(d->module.errorString());
    d->load = reinterpret_cast<VMiLoadDllWFn>(d->module.resolve("VMiLoadDllW"));
    d->unload = reinterpret_cast<VMiUnLoadDllFn>(d->module.resolve("VMiUnLoadDll"));
    if (!d->load || !d->unload)
        throw ModuleError(QStringLiteral("VEdUvura.so lacks its entry points"));
}

ModuleWindow::~ModuleWindow() = default;

ModuleWindow::Opened ModuleWindow::open(const Login& login)
{
    const SessionServices::Scope host{{
        .connectServer = AppServerFactory::forLogin({login.user, login.password}),
        .showMessage = [](const QString& message,
                          auto) { std::fprintf(stderr, "message: %s\n", qPrintable(message)); },
    }};
    Opened opened;
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    const quintptr handle = d->load(
        0, utf16(login.protocol), u"bench", utf16(login.server), utf16(login.user),
        utf16(login.password), utf16(QString::number(login.company)), u"", u"3.1.0;01/01/2026");
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
    opened.seconds = double(timer.nsecsElapsed()) / 1e9;
    opened.cpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    opened.rows = grid->model()->rowCount();
    d->unload();
    if (!paint.painted)
        throw ModuleError(QStringLiteral("the window did not paint its grid within a minute"));
    return opened;
}

} // namespace tavrel::bench
