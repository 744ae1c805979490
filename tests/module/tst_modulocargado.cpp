// The caused-value update reached by name on the module loaded from its library over a
// demo database, as the host runs it: the window hands the run its own session.
#include "ModuleEntries.h"

#include "AppServerFactory.h"
#include "ModuleApplication.h"
#include "TestDatabase.h"

#include <QDateTime>
#include <QTest>
#include <QWidget>
#include <cmath>

using tavrel::test::TestDatabase;

namespace {

const char16_t* w(const QString& text)
{
    return reinterpret_cast<const char16_t*>(text.utf16());
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

    void actualizarCausadoByName();

private:
    quintptr load(const QString& password)
    {
        return m_module.loadW(0x5A17, u"local", u"demo", w(m_db->url()), u"JPEREZ", w(password),
                              u"1", u"", u"3.1.0;20/03/2018");
    }

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
}

void TstModuloCargado::init()
{
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
}

void TstModuloCargado::cleanup()
{
    m_module.unload();
    m_messages.clear();
    m_db.reset();
}

void TstModuloCargado::actualizarCausadoByName()
{
    m_db->exec(QStringLiteral("UPDATE NM_VARIG SET VAL_VARI = '2013' WHERE COD_VARI = 'FEC_RPCO'"));
    QWidget* window = QWidget::find(WId(load(QStringLiteral("Tavrel2026"))));
    QVERIFY(window);
    QVERIFY(QMetaObject::invokeMethod(window, "ActualizarCausado"));
    QVERIFY(m_messages.isEmpty());

    // Company 1 has the flag V0000017 "S": every row, of every company, gets the VAL_TRAN
    // of its debit movements from 1 January to 31 December at 00:00, or 0 without any.
    const QString columns = QStringLiteral("SELECT COD_EMPR, COD_CCOS, COD_CONT, COD_CUEN, ");
    QHash<QString, double> expected;
    const auto rows = m_db->queryRows(columns + QStringLiteral("VAL_CAUS, ACT_USUA, ACT_ESTA "
                                                               "FROM NM_RPCOS"));
    for (const QVariantList& row : rows)
        expected.insert(key(row), 0.0);
    const QDateTime from(QDate(2013, 1, 1), QTime(0, 0));
    const QDateTime to(QDate(2013, 12, 31), QTime(0, 0));
    for (const QVariantList& m :
         m_db->queryRows(columns + QStringLiteral("FEC_PROC, NAT_TRAN, VAL_TRAN FROM NM_NCMOV"))) {
        const QDateTime at = m[4].toDateTime();
        auto sum = expected.find(key(m));
        if (sum != expected.end() && !m[1].isNull() && m[5].toString().trimmed() == u"D" &&
            at >= from && at <= to)
            *sum += m[6].toDouble();
    }
    for (const QVariantList& row : rows) {
        const double value = row[4].toDouble();
        QVERIFY2(std::fabs(value - expected.value(key(row))) < 0.005,
                 qPrintable(QStringLiteral("%1: %2 en vez de %3")
                                .arg(key(row))
                                .arg(value)
                                .arg(expected.value(key(row)))));
        // The raw reading of PostgreSQL keeps the CHAR padding.
        QCOMPARE(row[5].toString().trimmed(), QStringLiteral("JPEREZ"));
        QCOMPARE(row[6].toString().trimmed(), QStringLiteral("M"));
    }
}

QTEST_MAIN(TstModuloCargado)
#include "tst_modulocargado.moc"
