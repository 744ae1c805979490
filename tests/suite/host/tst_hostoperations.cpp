// The host's menu of operations of the open program, on the demo database.

#include "HostWindow.h"
#include "ModuleApplication.h"
#include "ProgramCatalog.h"
#include "TestDatabase.h"

#include <QAction>
#include <QMenu>
#include <QTest>

using tavrel::test::TestDatabase;

class TstHostOperations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void menuFollowsTheOpenProgram();
    void operationRunsOnlyWhenConfirmed_data();
    void operationRunsOnlyWhenConfirmed();
    void recordBeingEditedIsNotOverwritten();
    void refusedOpenUnloadsTheModule();

private:
    const tavrel::ProgramEntry& program() const
    {
        return *tavrel::ProgramCatalog::find(QStringLiteral("VEdUvura"));
    }
    int stampedRows()
    {
        return m_db
            ->queryValue(QStringLiteral("SELECT COUNT(*) FROM NM_RPCOS WHERE ACT_ESTA = 'M' "
                                        "AND ACT_USUA = 'JPEREZ'"))
            .toInt();
    }

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<tavrel::HostWindow> m_window;
    int m_rows = 0;
};

void TstHostOperations::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
}

void TstHostOperations::init()
{
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
    // Nothing in the demo data was last changed by JPEREZ, so his stamp shows the run.
    m_db->exec(QStringLiteral("UPDATE NM_RPCOS SET ACT_USUA = 'MGOMEZ'"));
    m_rows = m_db->queryValue(QStringLiteral("SELECT COUNT(*) FROM NM_RPCOS")).toInt();
    tavrel::HostSession session;
    session.database = m_db->url();
    session.user = QStringLiteral("JPEREZ");
    session.password = QStringLiteral("Tavrel2026");
    session.company = QStringLiteral("1");
    session.protocol = QStringLiteral("local");
    m_window = std::make_unique<tavrel::HostWindow>(session);
    m_window->setQuiet(true);
}

void TstHostOperations::cleanup()
{
    m_window.reset();
    m_db.reset();
}

void TstHostOperations::menuFollowsTheOpenProgram()
{
    QMenu* menu = m_window->operationsMenu();
    QVERIFY(!menu->isEnabled());
    QVERIFY(menu->actions().isEmpty());

    QWidget* moduleWindow = m_window->openProgram(program());
    QVERIFY(moduleWindow);
    QVERIFY(menu->isEnabled());
    auto* action = menu->findChild<QAction*>(QStringLiteral("ActualizarCausado"));
    QVERIFY(action);
    QCOMPARE(action->text(), QStringLiteral("Actualizar &Causado…"));

    moduleWindow->close();
    QTRY_VERIFY(menu->actions().isEmpty());
    QVERIFY(!menu->isEnabled());
}

void TstHostOperations::operationRunsOnlyWhenConfirmed_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("answered yes: every company's rows recomputed and stamped") << true;
    QTest::newRow("answered no: nothing sent to the server") << false;
}

void TstHostOperations::operationRunsOnlyWhenConfirmed()
{
    QFETCH(bool, confirmed);
    QVERIFY(m_window->openProgram(program()));
    QString asked;
    m_window->setConfirmation([&](const QString& question) {
        asked = question;
        return confirmed;
    });

    QCOMPARE(m_window->runOperation(program().operations.first()), confirmed);

    QVERIFY2(asked.contains(QStringLiteral("TODAS las empresas")), qPrintable(asked));
    QCOMPARE(stampedRows(), confirmed ? m_rows : 0);
}

void TstHostOperations::recordBeingEditedIsNotOverwritten()
{
    QWidget* moduleWindow = m_window->openProgram(program());
    QVERIFY(moduleWindow);
    auto* edit = moduleWindow->findChild<QAction*>(QStringLiteral("actEditar"));
    QVERIFY(edit && edit->isEnabled());
    edit->trigger();
    bool asked = false;
    m_window->setConfirmation([&](const QString&) { return asked = true; });

    QVERIFY(!m_window->runOperation(program().operations.first()));

    QVERIFY(!asked);
    QCOMPARE(stampedRows(), 0);
}

void TstHostOperations::refusedOpenUnloadsTheModule()
{
    // The load entry throws for a user without companies; the host shows it and unloads.
    m_db->exec(QStringLiteral("DELETE FROM GN_UEMPR WHERE COD_USUA = 'JPEREZ'"));
    QVERIFY(!m_window->openProgram(program()));
    QCOMPARE(tavrel::ModuleApplication::instance(), nullptr);
}

QTEST_MAIN(TstHostOperations)
#include "tst_hostoperations.moc"
