// The host's login and program list, on the demo database.

#include "HostWindow.h"
#include "LoginDialog.h"
#include "TestDatabase.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

using tavrel::test::TestDatabase;

class TstHostLogin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void login_data();
    void login();
    void programListHoldsTheModule();

private:
    std::unique_ptr<TestDatabase> m_db;
};

void TstHostLogin::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
}

void TstHostLogin::login_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("demo user with its password") << "JPEREZ"
                                                 << "Tavrel2026" << true;
    QTest::newRow("user code typed in lower case") << "jperez"
                                                   << "Tavrel2026" << true;
    QTest::newRow("wrong password") << "JPEREZ"
                                    << "tavrel2026" << false;
    QTest::newRow("unknown user gets the same answer") << "NADIE"
                                                       << "Tavrel2026" << false;
}

void TstHostLogin::login()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(bool, accepted);

    tavrel::HostSession initial;
    initial.database = m_db->url();
    tavrel::LoginDialog dialog(initial);
    dialog.findChild<QLineEdit*>(QStringLiteral("user"))->setText(user);
    dialog.findChild<QLineEdit*>(QStringLiteral("password"))->setText(password);
    dialog.accept();

    QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
    auto* error = dialog.findChild<QLabel*>(QStringLiteral("error"));
    QCOMPARE(error->isVisibleTo(&dialog), !accepted);
    if (!accepted)
        QCOMPARE(error->text(), QStringLiteral("Usuario o contraseña incorrectos."));
    else
        QCOMPARE(dialog.session().user, QStringLiteral("JPEREZ"));
}

void TstHostLogin::programListHoldsTheModule()
{
    tavrel::HostSession session;
    session.database = m_db->url();
    session.user = QStringLiteral("JPEREZ");
    tavrel::HostWindow window(session);
    QCOMPARE(window.windowTitle(), QStringLiteral("GESTIÓN Y ADMÓN. DE REC. HUMANOS"));
    const QList<QTreeWidgetItem*> found = window.programList()->findItems(
        QStringLiteral("Relación Rubros SIIF2"), Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    QCOMPARE(window.programList()->currentItem(), found.first());
}

QTEST_MAIN(TstHostLogin)
#include "tst_hostlogin.moc"
