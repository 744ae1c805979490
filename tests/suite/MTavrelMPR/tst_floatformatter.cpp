#include "FloatFormatter.h"
#include "FormatSettings.h"

#include <QTest>

using tavrel::FloatFormatter;

class TstFloatFormatter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { tavrel::FormatSettings::instance().reset(); }
    void format_data();
    void format();
    void separatorsComeFromTheSettings();
};

void TstFloatFormatter::format_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("money column: groups of three and two fixed decimals")
        << "#,##.00" << 1234567.5 << "1.234.567,50";
    QTest::newRow("no 0 before the point: a value below one has no integer digit")
        << "#,##.00" << 0.5 << ",50";
    QTest::newRow("a 0 before the point keeps the leading zero") << "#,##0.00" << 0.5 << "0,50";
    QTest::newRow("negatives keep the sign and round on the third decimal")
        << "#,##.00" << -1234.567 << "-1.234,57";
    QTest::newRow("rounding carries into a new thousands group")
        << "#,##.00" << 999.995 << "1.000,00";
    QTest::newRow("half rounds away from zero") << "0" << 2.5 << "3";
    QTest::newRow("half rounds away from zero for negatives too") << "0" << -2.5 << "-3";
    QTest::newRow("rounded on 15 significant digits, not on the binary value")
        << "0.00" << 1.005 << "1,01";
    QTest::newRow("a negative that rounds to zero shows no sign") << "0.00" << -0.001 << "0,00";
    QTest::newRow("optional decimal digit dropped when zero") << "0.0#" << 1.5 << "1,5";
    QTest::newRow("optional decimal digit kept when significant") << "0.0#" << 1.256 << "1,26";
    QTest::newRow("# alone shows nothing for zero") << "#" << 0.0 << "";
    QTest::newRow("0s pad the integer part") << "000" << 7.0 << "007";
    QTest::newRow("large values keep all their integer digits")
        << "#,##0" << 1e15 << "1.000.000.000.000.000";
    QTest::newRow("negative section shows the value without sign, literals around")
        << "$#,##0;($#,##0)" << -1234.0 << "($1.234)";
    QTest::newRow("zero section with a quoted literal") << "0.00;-0.00;'cero'" << 0.0 << "cero";
    QTest::newRow("empty negative section falls back to the first with a sign")
        << "0.0;;'cero'" << -3.25 << "-3,3";
    QTest::newRow("no pattern: general format with the decimal comma") << "" << 1234.5 << "1234,5";
}

void TstFloatFormatter::format()
{
    QFETCH(QString, pattern);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(FloatFormatter::format(pattern, value), expected);
}

void TstFloatFormatter::separatorsComeFromTheSettings()
{
    tavrel::FormatSettings::instance().setDecimalSeparator(QLatin1Char('.'));
    tavrel::FormatSettings::instance().setThousandSeparator(QLatin1Char(','));
    QCOMPARE(FloatFormatter::format(QStringLiteral("#,##0.00"), 1234.5),
             QStringLiteral("1,234.50"));
    QCOMPARE(FloatFormatter::general(0.25), QStringLiteral("0.25"));
}

QTEST_GUILESS_MAIN(TstFloatFormatter)
#include "tst_floatformatter.moc"
