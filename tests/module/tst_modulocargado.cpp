// The module loaded from its library over a demo database, as the host loads it: a
// refused login leaves the load entry as the error and the unload entry frees what it
// made, and the caused-value update is reached by name.
#include "ModuleEntries.h"

#include "AppServerFactory.h"
#include "ModuleApplication.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "SessionGlobals.h"
#include "TestDatabase.h"

#include <QApplication>
#include <QDateTime>
#include <QLoggingCategory>
#include <QTest>
#include <QWidget>
#include <cmath>

using tavrel::test::TestDatabase;

namespace {

QStringList gLifecycle;
QtMessageHandler gPreviousHandler = nullptr;

void captureLifecycle(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (qstrcmp(context.category, "tavrel.module.lifecycle") != 0) {
        gPreviousHandler(type, context, text);
        return;
    }
    gLifecycle << text;
    // The data module is in place before its creation handler fills the lists.
    if (text == u"created DtmVeZezev") {
        QObject* dtm = tavrel::ModuleApplication::instance()->ownedObjects().constLast();
        gLifecycle << QString::number(
            dtm->findChild<SClientDataSet*>(QStringLiteral("CdsFueFina"))->recordCount());
    }
}

const char16_t* w(const QString& text)
{
    return reinterpret_cast<const char16_t*>(text.utf16());
}

QStringList topLevelNames()
{
    QStringList names;
    for (QWidget* widget : QApplication::topLevelWidgets())
        names << widget->objectName();
    return names;
}

QString key(const QVariantList& row)
{
    QStringList parts;
    for (int i = 0; i < 4; ++i)
        parts << row[i].toString().trimmed();
    return parts.join(u'/');
}

} // namespace

class TstModuloCargado : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void refusedLoginThrowsAndUnloadFrees_data();
    void refusedLoginThrowsAndUnloadFrees();
    void actualizarCausadoByName_data();
    void actualizarCausadoByName();

private:
    quintptr load(const QString& user, const QString& password)
    {
        return m_module.loadW(0x5A17, u"local", u"demo", w(m_db->url()), w(user), w(password), u"1",
                              u"", u"3.1.0;20/03/2018");
    }
    // VAL_CAUS of every relation row by its key, from the year's debit movements summed
    // here; rows without any get 0.
    QHash<QString, double> expectedYear(int year, bool sumTransactions);
    QHash<QString, QVariantList> relations();

    ModuleEntries m_module;
    std::unique_ptr<TestDatabase> m_db;
    QStringList m_messages;
    const tavrel::SessionServices::Scope m_host{{
        .connectServer = tavrel::AppServerFactory::forLogin({}),
        .showMessage = [this](const QString& message, auto) { m_messages << message; },
    }};
};

void TstModuloCargado::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
    const QString error = m_module.open(QCoreApplication::applicationDirPath());
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QLoggingCategory::setFilterRules(QStringLiteral("tavrel.module.lifecycle.debug=true"));
    gPreviousHandler = qInstallMessageHandler(captureLifecycle);
}

void TstModuloCargado::init()
{
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
    gLifecycle.clear();
}

void TstModuloCargado::cleanup()
{
    m_module.unload();
    m_messages.clear();
    m_db.reset();
}

void TstModuloCargado::refusedLoginThrowsAndUnloadFrees_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("message");

    QTest::newRow("wrong password")
        << "JPEREZ"
        << "tavrel2026"
        << "Usuario o contraseña incorrectos para «JPEREZ»; no se puede abrir la ventana.";
}

void TstModuloCargado::refusedLoginThrowsAndUnloadFrees()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, message);

    // The error is the host's to show; what was made stays until the unload entry.
    try {
        load(user, password);
        QFAIL("the load entry returned");
    } catch (const tavrel::ModuleError& e) {
        QCOMPARE(e.message(), message);
    }
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(gLifecycle, (QStringList{"created DtmVeZezev", "0", "created FrmVeZezev"}));
    m_module.unload();
    QCOMPARE(gLifecycle.mid(3),
             (QStringList{"closed FrmVeZezev", "destroyed FrmVeZezev", "destroyed DtmVeZezev"}));
    QVERIFY(!topLevelNames().contains(QStringLiteral("FrmVeZezev")));
    QCOMPARE(tavrel::ModuleApplication::instance(), nullptr);
    // The resize entries find no window; a later load works.
    m_module.cambiarTamano(640, 480);
    QVERIFY(load(QStringLiteral("JPEREZ"), QStringLiteral("Tavrel2026")) != 0);
}

QHash<QString, QVariantList> TstModuloCargado::relations()
{
    QHash<QString, QVariantList> byKey;
    const auto rows = m_db->queryRows(
        QStringLiteral("SELECT COD_EMPR, COD_CCOS, COD_CONT, COD_CUEN, VAL_CAUS, ACT_USUA, "
                       "ACT_ESTA FROM NM_RPCOS"));
    for (const QVariantList& row : rows)
        byKey.insert(key(row), row);
    return byKey;
}

QHash<QString, double> TstModuloCargado::expectedYear(int year, bool sumTransactions)
{
    const QDateTime from(QDate(year, 1, 1), QTime(0, 0));
    const QDateTime to(QDate(year, 12, 31), QTime(0, 0));
    QHash<QString, double> sums;
    const auto relationRows = relations();
    for (auto it = relationRows.cbegin(); it != relationRows.cend(); ++it)
        sums.insert(it.key(), 0.0);
    const auto movements = m_db->queryRows(
        QStringLiteral("SELECT COD_EMPR, COD_CCOS, COD_CONT, COD_CUEN, FEC_PROC, NAT_TRAN, "
                       "VAL_CAUC, VAL_TRAN FROM NM_NCMOV"));
    for (const QVariantList& m : movements) {
        const QDateTime at = m[4].toDateTime();
        if (m[1].isNull() || m[5].toString().trimmed() != u"D" || at < from || at > to)
            continue;
        auto sum = sums.find(key(m));
        if (sum != sums.end())
            *sum += (sumTransactions ? m[7] : m[6]).toDouble();
    }
    return sums;
}

void TstModuloCargado::actualizarCausadoByName_data()
{
    QTest::addColumn<QString>("fecRpco");
    QTest::addColumn<QString>("error");

    // Company 1 has the flag V0000017 "S": the year sums VAL_TRAN.
    QTest::newRow("the year 2013 of the demo") << "2013"
                                               << "";
    QTest::newRow("a setting that is no year: the conversion error, nothing written") << "2O13"
                                                                                      << "2O13";
}

void TstModuloCargado::actualizarCausadoByName()
{
    QFETCH(QString, fecRpco);
    QFETCH(QString, error);

    m_db->exec(QStringLiteral("UPDATE NM_VARIG SET VAL_VARI = :V WHERE COD_VARI = 'FEC_RPCO'"),
               {fecRpco});
    const QHash<QString, QVariantList> before = relations();
    const QHash<QString, double> expected = expectedYear(2013, true);

    QWidget* window =
        QWidget::find(WId(load(QStringLiteral("JPEREZ"), QStringLiteral("Tavrel2026"))));
    QVERIFY(window);
    try {
        QVERIFY(QMetaObject::invokeMethod(window, "ActualizarCausado"));
        QVERIFY2(error.isEmpty(), "no error");
    } catch (const tavrel::ModuleError& e) {
        QVERIFY2(!error.isEmpty() && e.message().contains(error), qPrintable(e.message()));
    }

    const QHash<QString, QVariantList> after = relations();
    QCOMPARE(after.size(), before.size());
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!error.isEmpty()) {
            QCOMPARE(it.value(), before.value(it.key()));
            continue;
        }
        const double value = it.value()[4].toDouble();
        QVERIFY2(std::fabs(value - expected.value(it.key())) < 0.005,
                 qPrintable(QStringLiteral("%1: %2 en vez de %3")
                                .arg(it.key())
                                .arg(value)
                                .arg(expected.value(it.key()))));
        // The raw reading of PostgreSQL keeps the CHAR padding.
        QCOMPARE(it.value()[5].toString().trimmed(), QStringLiteral("JPEREZ"));
        QCOMPARE(it.value()[6].toString().trimmed(), QStringLiteral("M"));
    }
}

QTEST_MAIN(TstModuloCargado)
#include "tst_modulocargado.moc"
