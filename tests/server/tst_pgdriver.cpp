// PostgreSQL's values through the driver: what goes out as a parameter comes back as the
// same value, and what the protocol refuses is refused with the reason.
#include "Database.h"
#include "ModuleError.h"
#include "TestDatabase.h"
#include "Thrown.h"

#include <QTest>
#include <cmath>

using namespace tavrel;
using tavrel::test::TestDatabase;

class TstPgDriver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void roundTrip_data();
    void roundTrip();
    void refused_data();
    void refused();

private:
    std::unique_ptr<TestDatabase> m_db;
};

void TstPgDriver::initTestCase()
{
    TAVREL_NEEDS_POSTGRES();
    m_db =
        std::make_unique<TestDatabase>(TestDatabase::Content::Schema, QStringLiteral("postgres"));
}

void TstPgDriver::roundTrip_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariant>("sent");
    QTest::addColumn<QVariant>("expected");
    const QDateTime local(QDate(2026, 3, 1), QTime(23, 59, 59, 125));
    QTest::newRow("a local date-time keeps its wall time and milliseconds")
        << "SELECT CAST(:V AS TIMESTAMP(3))" << QVariant(local) << QVariant(local);
    QTest::newRow("an instant with a zone reads as the same instant")
        << "SELECT CAST('2026-03-01 05:00:00+05:30' AS TIMESTAMPTZ)" << QVariant()
        << QVariant(QDateTime(QDate(2026, 2, 28), QTime(23, 30), Qt::UTC).toLocalTime());
    QTest::newRow("a date alone is midnight of that day")
        << "SELECT CAST(:V AS TIMESTAMP)" << QVariant(QDate(2026, 12, 31))
        << QVariant(QDateTime(QDate(2026, 12, 31), QTime(0, 0)));
    QTest::newRow("text goes apart from the statement: quotes and backslashes are data")
        << "SELECT CAST(:V AS VARCHAR)" << QVariant(QStringLiteral("it's \\'; DROP TABLE x; --"))
        << QVariant(QStringLiteral("it's \\'; DROP TABLE x; --"));
    QTest::newRow("an untyped number takes the numeric type it is compared with")
        << "SELECT CAST(:V AS NUMERIC(15,2)) * 2" << QVariant(1234567.89) << QVariant(2469135.78);
    QTest::newRow("bytes of every value, NUL and quote included, travel as binary")
        << "SELECT CAST(:V AS BYTEA)" << QVariant(QByteArray("\0\xff'\\x", 5))
        << QVariant(QByteArray("\0\xff'\\x", 5));
    QTest::newRow("a boolean") << "SELECT CAST(:V AS BOOLEAN)" << QVariant(true) << QVariant(true);
    QTest::newRow("a big integer")
        << "SELECT CAST(:V AS BIGINT) + 1" << QVariant(qlonglong(9007199254740993LL))
        << QVariant(qlonglong(9007199254740994LL));
    QTest::newRow("a null of a typed column stays null")
        << "SELECT CAST(:V AS INTEGER)" << QVariant(QMetaType(QMetaType::Int)) << QVariant();
}

void TstPgDriver::roundTrip()
{
    QFETCH(QString, sql);
    QFETCH(QVariant, sent);
    QFETCH(QVariant, expected);
    const QVariant got = m_db->database().queryValue(
        sql, sql.contains(QLatin1String(":V")) ? QVariantList{sent} : QVariantList{});
    if (!expected.isValid()) {
        QVERIFY(got.isNull());
        return;
    }
    if (expected.typeId() == QMetaType::Double) {
        QCOMPARE(got.toDouble(), expected.toDouble());
        return;
    }
    if (expected.typeId() == QMetaType::QDateTime) {
        QCOMPARE(got.toDateTime().toMSecsSinceEpoch(), expected.toDateTime().toMSecsSinceEpoch());
        return;
    }
    QCOMPARE(got, expected);
}

void TstPgDriver::refused_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariant>("sent");
    QTest::addColumn<QString>("reason");
    // The extended protocol takes one statement per message, whatever hides the second.
    QTest::newRow("two statements") << "SELECT 1; SELECT 2" << QVariant() << "multiple commands";
    QTest::newRow("behind a comment ended by a carriage return")
        << "SELECT 1 --\r; SELECT 2" << QVariant() << "multiple commands";
    // PostgreSQL's text holds no NUL; libpq would cut the value at it.
    QTest::newRow("a NUL in a text")
        << "SELECT CAST(:V AS VARCHAR)" << QVariant(QString::fromLatin1("abc\0def", 7))
        << "carácter nulo";
}

void TstPgDriver::refused()
{
    QFETCH(QString, sql);
    QFETCH(QVariant, sent);
    QFETCH(QString, reason);
    const QVariantList values = sent.isValid() ? QVariantList{sent} : QVariantList{};
    QVERIFY(mentions(thrownBy([&] { m_db->database().exec(sql, values); }), {reason}));
}

QTEST_GUILESS_MAIN(TstPgDriver)
#include "tst_pgdriver.moc"
