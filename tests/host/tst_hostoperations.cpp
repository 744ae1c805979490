// The host's login, program list and menu of the open program's operations, on the demo.

#include "HostWindow.h"
#include "HostedProgram.h"
#include "LoginDialog.h"
#include "ModuleApplication.h"
#include "ProgramCatalog.h"
#include "SessionServices.h"
#include "TestDatabase.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

using tavrel::test::TestDatabase;

class TstHostOperations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void login_data();
    void login();
    void menuFollowsTheOpenProgram();
    void operationRunsOnlyWhenConfirmed_data();
    void operationRunsOnlyWhenConfirmed();
    void refusedOpenUnloadsTheModule();

private:
    const tavrel::ProgramEntry& m_program = *tavrel::ProgramCatalog::find("VEdUvura");
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<tavrel::HostWindow> m_window;
    int m_rows = 0;
};

void TstHostOperations::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
    m_rows = m_db->queryValue(u"SELECT COUNT(*) FROM NM_RPCOS"_s).toInt();
}

void TstHostOperations::init()
{
    // Nothing in the demo data was last changed by JPEREZ, so his stamp shows a run.
    m_db->exec(u"UPDATE NM_RPCOS SET ACT_USUA = 'MGOMEZ'"_s);
    tavrel::HostSession session;
    session.database = m_db->server();
    session.user = u"JPEREZ"_s;
    session.password = u"Tavrel2026"_s;
    session.company = u"1"_s;
    session.protocol = m_db->protocol();
    m_window = std::make_unique<tavrel::HostWindow>(session);
    m_window->setQuiet(true);
}

void TstHostOperations::cleanup()
{
    m_window.reset();
}

void TstHostOperations::login_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("companies"); // offered in the host's company box

    QTest::newRow("demo user with its password: every company") << "JPEREZ"
                                                                << "Tavrel2026" << true << "1,2,3";
    QTest::newRow("user code typed in lower case") << "jperez"
                                                   << "Tavrel2026" << true << "1,2,3";
    QTest::newRow("user restricted to company 2 is offered only it") << "MGOMEZ"
                                                                     << "Nomina2026" << true << "2";
    QTest::newRow("wrong password") << "JPEREZ"
                                    << "tavrel2026" << false << "";
    QTest::newRow("unknown user gets the same answer") << "NADIE"
                                                       << "Tavrel2026" << false << "";
}

void TstHostOperations::login()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(bool, accepted);
    QFETCH(QString, companies);

    tavrel::HostSession initial;
    initial.database = m_db->server();
    initial.protocol = m_db->protocol();
    tavrel::LoginDialog dialog(initial);
    dialog.findChild<QLineEdit*>(u"user"_s)->setText(user);
    dialog.findChild<QLineEdit*>(u"password"_s)->setText(password);
    dialog.accept();

    QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
    auto* error = dialog.findChild<QLabel*>(u"error"_s);
    QCOMPARE(error->isVisibleTo(&dialog), !accepted);
    QCOMPARE(accepted ? dialog.session().user : error->text(),
             QString(accepted ? user.toUpper() : "Usuario o contraseña incorrectos."));
    QStringList offered;
    tavrel::HostWindow window(dialog.session(), dialog.companies());
    auto* box = window.findChild<QComboBox*>(u"company"_s);
    for (int i = 0; accepted && i < box->count(); ++i)
        offered << box->itemData(i).toString();
    QCOMPARE(offered.join(u','), companies);
    if (accepted)
        QCOMPARE(window.session().company, companies.section(u',', 0, 0));
}

void TstHostOperations::menuFollowsTheOpenProgram()
{
    const QList<QTreeWidgetItem*> found = m_window->programList()->findItems(
        u"Relación Rubros SIIF2"_s, Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    QCOMPARE(m_window->programList()->currentItem(), found.first());
    QMenu* menu = m_window->operationsMenu();
    QVERIFY(!menu->isEnabled());
    QVERIFY(menu->actions().isEmpty());

    QWidget* moduleWindow = m_window->openProgram(m_program);
    QVERIFY(moduleWindow);
    QVERIFY(menu->isEnabled());
    // The window's published operation, then the tools the catalogue gives the program.
    QStringList items;
    for (const QAction* action : menu->actions())
        items << (action->isSeparator() ? u"-"_s : action->objectName());
    QCOMPARE(items.join(u' '), QStringLiteral("ActualizarCausado - VistaPreviaCausado "
                                              "MovimientosSinRelacion EjecucionPresupuestal - "
                                              "RevisarRelacion HistorialRegistro - ImportarExcel - "
                                              "ArchivarVigencia CausadoMensual"));
    // The row the window shows, as the tools get it: one row of the window's company (the
    // row is whichever comes first, whatever other desks left in it).
    const QVariantMap key = tavrel::HostedProgram::of(moduleWindow)->currentKey();
    QCOMPARE(key.value("COD_EMPR").toInt(), 1);
    const auto number = [&key](const char* field) {
        return key.value(field).isNull() ? -1 : key.value(field).toInt();
    };
    QVERIFY(m_db->queryValue(QStringLiteral("SELECT COUNT(*) FROM NM_RPCOS WHERE COD_EMPR = 1 "
                                            "AND COALESCE(COD_CONT, -1) = %1 AND "
                                            "COALESCE(TRIM(COD_CUEN), '') = '%2' AND "
                                            "COALESCE(COD_CCOS, -1) = %3")
                                 .arg(number("COD_CONT"))
                                 .arg(key.value("COD_CUEN").toString().trimmed())
                                 .arg(number("COD_CCOS")))
                .toInt() > 0);
    // The module works through the host's one connection: no second login.
    QCOMPARE(tavrel::SessionServices::current().connectServer(m_window->session().protocol,
                                                              m_window->session().database),
             tavrel::SessionServices::current().connectServer(m_window->session().protocol,
                                                              m_window->session().database));

    moduleWindow->close();
    QTRY_VERIFY(menu->actions().isEmpty());
    QVERIFY(!menu->isEnabled());
}

void TstHostOperations::operationRunsOnlyWhenConfirmed_data()
{
    QTest::addColumn<bool>("editing");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("answered yes: every company's rows recomputed and stamped") << false << true;
    QTest::newRow("answered no: nothing sent to the server") << false << false;
    QTest::newRow("a record being edited is not overwritten; nobody is asked") << true << true;
}

void TstHostOperations::operationRunsOnlyWhenConfirmed()
{
    QFETCH(bool, editing);
    QFETCH(bool, confirmed);
    QWidget* moduleWindow = m_window->openProgram(m_program);
    QVERIFY(moduleWindow);
    auto* edit = moduleWindow->findChild<QAction*>(u"actEditar"_s);
    QVERIFY(edit && edit->isEnabled());
    if (editing)
        edit->trigger();
    QString asked;
    m_window->setConfirmation([&](const QString& question) {
        asked = question;
        return confirmed;
    });

    const auto operations = tavrel::HostedProgram::of(moduleWindow)->operations();
    QCOMPARE(m_window->runOperation(operations.first()), confirmed && !editing);

    QCOMPARE(asked.contains(u"TODAS las empresas"_s), !editing);
    QCOMPARE(m_db->queryValue(QStringLiteral("SELECT COUNT(*) FROM NM_RPCOS WHERE ACT_ESTA = 'M' "
                                             "AND ACT_USUA = 'JPEREZ'"))
                 .toInt(),
             confirmed && !editing ? m_rows : 0);
}

void TstHostOperations::refusedOpenUnloadsTheModule()
{
    // The load entry throws for a user without companies; the host shows it and unloads.
    // This runs last: the user keeps no company.
    m_db->exec(u"DELETE FROM GN_UEMPR WHERE COD_USUA = 'JPEREZ'"_s);
    QVERIFY(!m_window->openProgram(m_program));
    QCOMPARE(tavrel::ModuleApplication::instance(), nullptr);
}

QTEST_MAIN(TstHostOperations)
#include "tst_hostoperations.moc"
