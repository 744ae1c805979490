#include "Thrown.h"
#include "WaitingCall.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>
#include <thread>

using tavrel::ModuleError;
using tavrel::WaitingCall;
using namespace std::chrono_literals;

class TstWaitingCall : public QObject
{
    Q_OBJECT

private slots:
    // A call shorter than the cursor's delay handles no event: a call made while a view
    // paints must not start another paint.
    void aQuickCallHandlesNoEvent()
    {
        bool handled = false;
        QTimer::singleShot(0, this, [&] { handled = true; });
        WaitingCall::run([] { std::this_thread::sleep_for(20ms); }, 2000);
        QVERIFY(!handled);
        QTRY_VERIFY(handled);
    }

    // A longer one shows the busy cursor and keeps the windows painted, and leaves the
    // cursor as it was.
    void aLongCallShowsTheBusyCursorAndHandlesEvents()
    {
        bool handled = false;
        Qt::CursorShape shown = Qt::ArrowCursor;
        QTimer::singleShot(100, this, [&] {
            handled = true;
            if (const QCursor* cursor = QGuiApplication::overrideCursor())
                shown = cursor->shape();
        });
        WaitingCall::run([] { std::this_thread::sleep_for(400ms); }, 20);
        QVERIFY(handled);
        QCOMPARE(shown, Qt::WaitCursor);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void whatTheWorkThrowsReachesTheCaller_data()
    {
        QTest::addColumn<int>("workMs");
        QTest::newRow("before the cursor") << 0;
        QTest::newRow("after the cursor") << 100;
    }
    void whatTheWorkThrowsReachesTheCaller()
    {
        QFETCH(int, workMs);
        const auto error = thrownBy([&] {
            WaitingCall::run(
                [&] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(workMs));
                    throw ModuleError(QStringLiteral("Se perdió la conexión"));
                },
                20);
        });
        QVERIFY(error);
        QCOMPARE(error->message(), QStringLiteral("Se perdió la conexión"));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }
};

QTEST_MAIN(TstWaitingCall)
#include "tst_waitingcall.moc"
