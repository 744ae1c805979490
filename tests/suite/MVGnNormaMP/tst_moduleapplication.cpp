#include "ModuleApplication.h"
#include "ModuleError.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <memory>
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
    void init();
    void cleanup();

    void handleException_data();
    void handleException();
    void errorWithoutSinkShowsModalBox();
    void ownedObjectsDieNewestFirst();
    void objectsDeletedElsewhereAreForgotten();
    void closeAndDestroyRunsCloseHandlersEvenWhenRefused();
    void instanceFollowsLifetime();

private:
    std::unique_ptr<ModuleApplication> m_app;
    QList<std::pair<QString, MessageKind>> m_messages;
};

void TstModuleApplication::init()
{
    m_app = std::make_unique<ModuleApplication>();
    m_messages.clear();
    m_app->setMessageSink([this](const QString& message, MessageKind kind) {
        m_messages.append({message, kind});
    });
}

void TstModuleApplication::cleanup()
{
    m_app.reset();
}

void TstModuleApplication::handleException_data()
{
    QTest::addColumn<std::shared_ptr<std::exception>>("error");
    QTest::addColumn<QStringList>("shown");

    const QString accented = QStringLiteral("La cuenta no pertenece a la contabilización");
    QTest::newRow("refusal shows its Spanish message, accents intact")
        << std::shared_ptr<std::exception>(std::make_shared<ModuleError>(accented))
        << QStringList{accented};
    QTest::newRow("conversion errors are shown too")
        << std::shared_ptr<std::exception>(std::make_shared<ModuleError>(
               "'12a' no es un valor entero válido", ModuleError::Kind::Conversion))
        << QStringList{"'12a' no es un valor entero válido"};
    QTest::newRow("abort is silent")
        << std::shared_ptr<std::exception>(std::make_shared<ModuleError>(ModuleError::abort()))
        << QStringList{};
    QTest::newRow("foreign exception shows its UTF-8 what()")
        << std::shared_ptr<std::exception>(
               std::make_shared<std::runtime_error>("conexión rechazada"))
        << QStringList{QStringLiteral("conexión rechazada")};
}

void TstModuleApplication::handleException()
{
    QFETCH(std::shared_ptr<std::exception>, error);
    QFETCH(QStringList, shown);

    m_app->handleException(*error);

    QStringList messages;
    for (const auto& [message, kind] : m_messages) {
        QCOMPARE(kind, MessageKind::Error);
        messages << message;
    }
    QCOMPARE(messages, shown);
}

void TstModuleApplication::errorWithoutSinkShowsModalBox()
{
    m_app->setMessageSink({});
    QString title, text;
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        wasModal = box->isModal();
        box->accept();
    });
    m_app->handleException(ModuleError("Debe escoger una empresa"));
    QCOMPARE(title, QString("Tavrel"));
    QCOMPARE(text, QString("Debe escoger una empresa"));
    QVERIFY(wasModal);
}

void TstModuleApplication::ownedObjectsDieNewestFirst()
{
    QStringList order;
    for (const char* name : {"first", "second", "third"}) {
        QObject* object = m_app->create<QObject>();
        object->setObjectName(name);
        connect(object, &QObject::destroyed, [&order, name] { order << name; });
    }
    m_app.reset();
    QCOMPARE(order, (QStringList{"third", "second", "first"}));
}

void TstModuleApplication::objectsDeletedElsewhereAreForgotten()
{
    QObject* kept = m_app->create<QObject>();
    QObject* gone = m_app->create<QObject>();
    auto* widget = m_app->create<QWidget>();
    delete gone;
    delete widget;
    QCOMPARE(m_app->ownedObjects(), QList<QObject*>{kept});

    QObject stranger;
    m_app->destroy(&stranger); // not owned: must not be deleted
    m_app->destroy(nullptr);
    QCOMPARE(m_app->ownedObjects(), QList<QObject*>{kept});
    // cleanup() destroys the application: ASan would catch a double delete.
}

void TstModuleApplication::closeAndDestroyRunsCloseHandlersEvenWhenRefused()
{
    int closeAttempts = 0;
    QPointer<QWidget> form = m_app->create<StubbornForm>(&closeAttempts);
    m_app->closeAndDestroy(form);
    QCOMPARE(closeAttempts, 1);
    QVERIFY(form.isNull());
    QVERIFY(m_app->ownedObjects().isEmpty());
}

void TstModuleApplication::instanceFollowsLifetime()
{
    QCOMPARE(ModuleApplication::instance(), m_app.get());
    m_app.reset();
    QCOMPARE(ModuleApplication::instance(), nullptr);
}

QTEST_MAIN(TstModuleApplication)
#include "tst_moduleapplication.moc"
