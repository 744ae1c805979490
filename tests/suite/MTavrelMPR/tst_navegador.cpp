#include "DataSetFixture.h"
#include "DataSource.h"
#include "ErrorReporter.h"
#include "ModalAnswer.h"
#include "ModuleError.h"
#include "TVNavegador.h"

#include <QTest>
#include <QToolButton>

using tavrel::DataSetState;
using Nav = TVNavegador;

class TstNavegador : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void buttonsFollowTheDataSet_data();
    void buttonsFollowTheDataSet();
    void deleteAsksFirst();
    void refusalsAreReportedNotThrown();

private:
    Nav::Buttons enabledButtons() const;

    std::unique_ptr<DataSetFixture> f;
    std::unique_ptr<tavrel::DataSource> source;
    std::unique_ptr<Nav> nav;
    QStringList messages;
};

void TstNavegador::init()
{
    f = std::make_unique<DataSetFixture>();
    source = std::make_unique<tavrel::DataSource>();
    source->setDataSet(&f->dataSet);
    nav = std::make_unique<Nav>();
    nav->setDataSource(source.get());
    tavrel::ErrorReporter::setHandler(
        [this](const std::exception& e) { messages << QString::fromUtf8(e.what()); });
}

void TstNavegador::cleanup()
{
    nav.reset();
    source.reset();
    f.reset();
    tavrel::ErrorReporter::setHandler({});
    messages.clear();
}

Nav::Buttons TstNavegador::enabledButtons() const
{
    Nav::Buttons on;
    for (int bit = 0; bit < 10; ++bit) {
        const auto b = Nav::Button(1 << bit);
        if (nav->button(b)->isEnabled())
            on |= b;
    }
    return on;
}

void TstNavegador::buttonsFollowTheDataSet_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<Nav::Buttons>("enabled");

    const Nav::Buttons moving = Nav::First | Nav::Prior | Nav::Next | Nav::Last;
    const Nav::Buttons browsing = Nav::Insert | Nav::Delete | Nav::Edit | Nav::Refresh;
    QTest::newRow("closed: nothing") << QStringList{"close"} << Nav::Buttons();
    QTest::newRow("at the first record nothing goes back")
        << QStringList{} << (browsing | Nav::Next | Nav::Last);
    QTest::newRow("in the middle everything moves") << QStringList{"next"} << (browsing | moving);
    QTest::newRow("past the last nothing goes forward")
        << QStringList{"last"} << (browsing | Nav::First | Nav::Prior);
    QTest::newRow("editing: post and cancel, no insert or edit")
        << QStringList{"next", "edit"} << (moving | Nav::Delete | Nav::Post | Nav::Cancel);
    QTest::newRow("cancel goes back to browsing")
        << QStringList{"next", "edit", "cancel"} << (browsing | moving);
}

void TstNavegador::buttonsFollowTheDataSet()
{
    QFETCH(QStringList, clicks);
    QFETCH(Nav::Buttons, enabled);
    SClientDataSet& ds = f->dataSet;
    ds.open();
    for (const QString& c : clicks) {
        if (c == QLatin1String("close"))
            ds.close();
        else if (c == QLatin1String("next"))
            nav->button(Nav::Next)->click();
        else if (c == QLatin1String("last"))
            nav->button(Nav::Last)->click();
        else if (c == QLatin1String("edit"))
            nav->button(Nav::Edit)->click();
        else if (c == QLatin1String("cancel"))
            nav->button(Nav::Cancel)->click();
    }
    QCOMPARE(enabledButtons(), enabled);
}

void TstNavegador::deleteAsksFirst()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    QString question;
    answerNextBox(QStringLiteral("Sí"), &question);
    nav->button(Nav::Delete)->click();
    QCOMPARE(question, QStringLiteral("¿Borrar el registro?"));
    QCOMPARE(ds.recordCount(), 2);

    // A new record is only dropped: nothing to ask.
    nav->button(Nav::Insert)->click();
    nav->button(Nav::Delete)->click();
    QCOMPARE(ds.recordCount(), 2);
    QCOMPARE(ds.state(), DataSetState::Browse);
}

void TstNavegador::refusalsAreReportedNotThrown()
{
    SClientDataSet& ds = f->dataSet;
    ds.open();
    ds.BeforePost = [](SClientDataSet&) {
        throw tavrel::ModuleError(QStringLiteral("Falta la contabilización"));
    };
    nav->button(Nav::Edit)->click();
    nav->button(Nav::Post)->click();
    QCOMPARE(messages, QStringList{QStringLiteral("Falta la contabilización")});
    QCOMPARE(ds.state(), DataSetState::Edit);
    QVERIFY(nav->button(Nav::Post)->isEnabled());
}

QTEST_MAIN(TstNavegador)
#include "tst_navegador.moc"
