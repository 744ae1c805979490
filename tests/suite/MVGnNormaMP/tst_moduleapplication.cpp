#include "ModuleApplication.h"
#include "ModuleError.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <stdexcept>

using tavrel::MessageKind;
using tavrel::ModuleApplication;
using tavrel::ModuleError;

namespace {

// A form whose close handler refuses to close.
class StubbornForm : public QWidget
{
public:
    explicit StubbornForm(int* closeAttempts) : m_closeAttempts(closeAttempts) {}

protected:
    void closeEvent(QCloseEvent* event) override
    {
        ++*m_closeAttempts;
        event->ignore();
    }

private:
    int* m_closeAttempts;
};

} // namespace

class TstModuleApplication : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_app = std::make_unique<ModuleApplication>(); }
    void cleanup() { m_app.reset(); }

    void handleException_data();
    void handleException();
    void withoutSinkAModalBoxShowsTheError();
    void ownedObjectsDieNewestFirstAndOnlyOnce();
    void closeAndDestroyRunsCloseHandlersEvenWhenRefused();

private:
    std::unique_ptr<ModuleApplication> m_app;
};

void TstModuleApplication::handleException_data()
{
    QTest::addColumn<std::shared_ptr<std::exception>>("error");
    QTest::addColumn<QStringList>("shown");

    using Error = std::shared_ptr<std::exception>;
    QTest::newRow("refusal shows its Spanish message, accents intact")
        << Error(new ModuleError("La cuenta no pertenece a la contabilización"))
        << QStringList{"La cuenta no pertenece a la contabilización"};
    QTest::newRow("abort is silent")
        << Error(new ModuleError(ModuleError::abort())) << QStringList{};
    QTest::newRow("a foreign exception shows its UTF-8 what()")
        << Error(new std::runtime_error("conexión rechazada")) << QStringList{"conexión rechazada"};
}

void TstModuleApplication::handleException()
{
    QFETCH(std::shared_ptr<std::exception>, error);
    QFETCH(QStringList, shown);

    QStringList messages;
    m_app->setMessageSink([&](const QString& message, MessageKind kind) {
        QCOMPARE(kind, MessageKind::Error);
        messages << message;
    });
    m_app->handleException(*error);
    QCOMPARE(messages, shown);
}

void TstModuleApplication::withoutSinkAModalBoxShowsTheError()
{
    QString title, text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    m_app->handleException(ModuleError("Debe escoger una empresa"));
    QCOMPARE(title, QString("Tavrel"));
    QCOMPARE(text, QString("Debe escoger una empresa"));
}

void TstModuleApplication::ownedObjectsDieNewestFirstAndOnlyOnce()
{
    QStringList order;
    for (const char* name : {"first", "gone", "second", "third"}) {
        QObject* object = m_app->create<QObject>();
        connect(object, &QObject::destroyed, [&order, name] { order << name; });
    }
    delete m_app->ownedObjects().at(1); // deleted elsewhere: forgotten, not deleted again
    QObject stranger;
    m_app->destroy(&stranger); // not owned: left alone
    m_app.reset();
    QCOMPARE(order, (QStringList{"gone", "third", "second", "first"}));
}

void TstModuleApplication::closeAndDestroyRunsCloseHandlersEvenWhenRefused()
{
    int closeAttempts = 0;
    QPointer<QWidget> form = m_app->create<StubbornForm>(&closeAttempts);
    m_app->closeAndDestroy(form);
    QCOMPARE(closeAttempts, 1);
    QVERIFY(form.isNull());
}

QTEST_MAIN(TstModuleApplication)
#include "tst_moduleapplication.moc"
