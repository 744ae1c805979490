#include "WaitingCall.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <exception>

namespace tavrel {

namespace {

// Threads of their own, so that a busy global pool never holds a call up; a call made
// from a repaint during another call's wait takes a second thread.
QThreadPool& callThreads()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(16);
        return p;
    }();
    return *pool;
}

} // namespace

void WaitingCall::run(const std::function<void()>& work, int cursorDelayMs)
{
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!gui || QThread::currentThread() != gui->thread()) {
        work();
        return;
    }
    // The loop outlives the work: the work's last step posts the loop's end to it.
    QEventLoop loop;
    QSemaphore finished;
    std::exception_ptr failure;
    callThreads().start([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        finished.release();
    });
    // Most calls end before the busy cursor would show. Until then the caller just waits,
    // as it does for the in-process server: no event is handled, so a call made while a
    // view paints (a calculated field) cannot start a second paint inside the first.
    if (!finished.tryAcquire(1, std::max(0, cursorDelayMs))) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        // The loop ends with the work, or earlier when the application quits; either way
        // the work must be over before its captures go out of scope.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        finished.acquire();
        QGuiApplication::restoreOverrideCursor();
    }
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace tavrel
