#include "FieldType.h"
#include "ModuleError.h"

#include <QDateTime>
#include <QTest>

using tavrel::FieldType;

class TstCoerce : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
};

void TstCoerce::accepted_data()
{
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("null stays null whatever the type")
        << QVariant() << int(FieldType::SmallInt) << QVariant();
    QTest::newRow("16-bit upper bound fits")
        << QVariant(32767) << int(FieldType::SmallInt) << QVariant(32767);
    QTest::newRow("typed integer text, blanks around")
        << QVariant(QStringLiteral(" 42 ")) << int(FieldType::Integer) << QVariant(42);
    QTest::newRow("whole double becomes an integer")
        << QVariant(7.0) << int(FieldType::Integer) << QVariant(7);
    QTest::newRow("fixed char loses trailing blanks only")
        << QVariant(QStringLiteral(" 01  ")) << int(FieldType::FixedChar)
        << QVariant(QStringLiteral(" 01"));
    QTest::newRow("decimal comma, as typed in Colombia")
        << QVariant(QStringLiteral("1234,5")) << int(FieldType::Float) << QVariant(1234.5);
    QTest::newRow("day-first date text is midnight local")
        << QVariant(QStringLiteral("31/12/2013")) << int(FieldType::DateTime)
        << QVariant(QDateTime(QDate(2013, 12, 31), QTime(0, 0)));
    QTest::newRow("ISO text with milliseconds")
        << QVariant(QStringLiteral("2013-12-31T23:59:00.500")) << int(FieldType::DateTime)
        << QVariant(QDateTime(QDate(2013, 12, 31), QTime(23, 59, 0, 500)));
}

void TstCoerce::accepted()
{
    QFETCH(QVariant, input);
    QFETCH(int, type);
    QFETCH(QVariant, expected);
    const QVariant got = tavrel::coerce(input, FieldType(type));
    QCOMPARE(got, expected);
    QCOMPARE(got.isValid(), expected.isValid());
}

void TstCoerce::refused_data()
{
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("messagePart");

    QTest::newRow("one past the 16-bit range")
        << QVariant(32768) << int(FieldType::SmallInt) << QStringLiteral("32768");
    QTest::newRow("letters are no integer")
        << QVariant(QStringLiteral("abc")) << int(FieldType::Integer) << QStringLiteral("'abc'");
    QTest::newRow("fractional value is no integer")
        << QVariant(1.5) << int(FieldType::Integer) << QStringLiteral("1.5");
    QTest::newRow("month-first date does not read as day-first")
        << QVariant(QStringLiteral("12/31/2013")) << int(FieldType::DateTime)
        << QStringLiteral("12/31/2013");
}

void TstCoerce::refused()
{
    QFETCH(QVariant, input);
    QFETCH(int, type);
    QFETCH(QString, messagePart);
    try {
        tavrel::coerce(input, FieldType(type));
        QFAIL("the value was accepted");
    } catch (const tavrel::ModuleError& e) {
        QCOMPARE(e.kind(), tavrel::ModuleError::Kind::Conversion);
        QVERIFY2(e.message().contains(messagePart), qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(TstCoerce)
#include "tst_coerce.moc"
