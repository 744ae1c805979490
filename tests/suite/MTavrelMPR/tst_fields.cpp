// Field values as assigned, typed and shown, and the number and CSV texts behind them.

#include "CsvWriter.h"
#include "Field.h"
#include "FloatFormatter.h"
#include "FormatSettings.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "TestHelpers.h"

#include <QTest>

using namespace Qt::StringLiterals;

using tavrel::Field;
using tavrel::FieldKind;
using tavrel::FieldType;
using tavrel::FloatFormatter;
using tavrel::ModuleError;

Q_DECLARE_METATYPE(FieldType)

class TstFields : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { tavrel::FormatSettings::instance().reset(); }
    void assign_data();
    void assign();
    void displayText_data();
    void displayText();
    void refusals_data();
    void refusals();
    void format_data();
    void format();
    void separatorsComeFromTheSettings();
    void csvQuote_data();
    void csvQuote();
};

void TstFields::assign_data()
{
    QTest::addColumn<FieldType>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<bool>("asText");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<QString>("error");

    const QVariant none;
    QTest::newRow("null stays null whatever the type")
        << FieldType::SmallInt << 0 << none << false << none << "";
    QTest::newRow("the 16-bit upper bound fits a SmallInt")
        << FieldType::SmallInt << 0 << QVariant(32767) << false << QVariant(32767) << "";
    QTest::newRow("one past the 16-bit range is refused")
        << FieldType::SmallInt << 0 << QVariant(32768) << false << none << "32768";
    QTest::newRow("a whole double becomes an integer")
        << FieldType::Integer << 0 << QVariant(7.0) << false << QVariant(7) << "";
    QTest::newRow("a fractional value is no integer")
        << FieldType::Integer << 0 << QVariant(1.5) << false << none << "1.5";
    QTest::newRow("a user code is cut to the field size")
        << FieldType::String << 8 << QVariant("ADMINISTRADOR") << false << QVariant("ADMINIST")
        << "";
    QTest::newRow("fixed char loses trailing blanks only")
        << FieldType::FixedChar << 3 << QVariant(" 01  ") << false << QVariant(" 01") << "";
    QTest::newRow("a number typed with Colombian separators")
        << FieldType::Float << 0 << QVariant("1.234,5") << true << QVariant(1234.5) << "";
    QTest::newRow("unreadable number text is refused naming the text")
        << FieldType::Float << 0 << QVariant("abc") << true << none << "'abc'";
    QTest::newRow("blank text empties a number")
        << FieldType::Integer << 0 << QVariant("  ") << true << none << "";
    QTest::newRow("a date typed day first is midnight")
        << FieldType::DateTime << 0 << QVariant("31/12/2013") << true
        << QVariant(QDateTime(QDate(2013, 12, 31), QTime(0, 0))) << "";
    QTest::newRow("a month-first date does not read as day-first")
        << FieldType::DateTime << 0 << QVariant("12/31/2013") << true << none << "12/31/2013";
    QTest::newRow("ISO text with milliseconds")
        << FieldType::DateTime << 0 << QVariant("2013-12-31T23:59:00.500") << false
        << QVariant(QDateTime(QDate(2013, 12, 31), QTime(23, 59, 0, 500))) << "";
    QTest::newRow("an ISO day that does not exist is refused")
        << FieldType::DateTime << 0 << QVariant("2013-02-30T00:00:00.000") << false << none
        << "2013-02-30";
}

void TstFields::assign()
{
    QFETCH(FieldType, type);
    QFETCH(int, size);
    QFETCH(QVariant, input);
    QFETCH(bool, asText);
    QFETCH(QVariant, expected);
    QFETCH(QString, error);

    SClientDataSet ds;
    Field* f = ds.addField(u"COD_CONT"_s, type, size);
    ds.createDataSet();
    ds.append();
    try {
        if (asText)
            f->setAsString(input.toString());
        else
            f->setValue(input);
        QVERIFY2(error.isEmpty(), "the value was accepted");
        QCOMPARE(f->value(), expected);
        QCOMPARE(f->value().isValid(), expected.isValid());
    } catch (const ModuleError& e) {
        QVERIFY2(!error.isEmpty(), qPrintable(e.message()));
        QVERIFY2(e.message().contains(error), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QLatin1String("COD_CONT")), qPrintable(e.message()));
        QCOMPARE(e.kind(), ModuleError::Kind::Conversion);
        QVERIFY(f->isNull());
        QCOMPARE(ds.state(), tavrel::DataSetState::Insert);
    }
}

void TstFields::displayText_data()
{
    QTest::addColumn<FieldType>("type");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no format: general number with decimal comma")
        << FieldType::Float << "" << QVariant(1234.5) << "1234,5";
    QTest::newRow("integers take a display format too")
        << FieldType::Integer << "#,##0" << QVariant(1234) << "1.234";
    QTest::newRow("a date at midnight shows the date only")
        << FieldType::DateTime << "" << QVariant(QDateTime(QDate(2013, 12, 31), QTime(0, 0)))
        << "31/12/2013";
    QTest::newRow("a date with a time shows both")
        << FieldType::DateTime << "" << QVariant(QDateTime(QDate(2013, 12, 31), QTime(23, 59, 5)))
        << "31/12/2013 23:59:05";
    QTest::newRow("null shows nothing, even with a format")
        << FieldType::Float << "#,##.00" << QVariant() << "";
}

void TstFields::displayText()
{
    QFETCH(FieldType, type);
    QFETCH(QString, format);
    QFETCH(QVariant, value);
    QFETCH(QString, expected);

    SClientDataSet ds;
    Field* f = ds.addField(u"VALOR"_s, type);
    f->setDisplayFormat(format);
    ds.createDataSet();
    ds.append();
    f->setValue(value);
    QCOMPARE(f->displayText(), expected);
}

void TstFields::refusals_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("error");

    QTest::newRow("a data field outside edit or insert")
        << "COD" << false << "no está en modo de edición o inserción";
    QTest::newRow("a read-only field") << "AUDITORIA" << true << "solo lectura";
    QTest::newRow("a calculated field outside the calculation") << "SALDO" << true << "calculado";
}

void TstFields::refusals()
{
    QFETCH(QString, field);
    QFETCH(bool, editing);
    QFETCH(QString, error);

    SClientDataSet ds;
    ds.setObjectName(u"CdsLista"_s);
    ds.addField(u"COD"_s, FieldType::Integer);
    ds.addField(u"AUDITORIA"_s, FieldType::String, 8)->setReadOnly(true);
    ds.addField(u"SALDO"_s, FieldType::Float, 0, FieldKind::Calculated);
    ds.createDataSet();
    ds.append();
    ds.post();
    if (editing)
        ds.edit();
    QVERIFY(mentions(thrownBy([&] { ds.fieldByName(field)->setValue(1); }), {error, u"CdsLista"}));
    QVERIFY(ds.fieldByName(field)->isNull());
}

void TstFields::format_data()
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
    QTest::newRow("rounded on 15 significant digits, not on the binary value")
        << "0.00" << 1.005 << "1,01";
    QTest::newRow("a negative that rounds to zero shows no sign") << "0.00" << -0.001 << "0,00";
    QTest::newRow("optional decimal digit dropped when zero") << "0.0#" << 1.5 << "1,5";
    QTest::newRow("# alone shows nothing for zero") << "#" << 0.0 << "";
    QTest::newRow("large values keep all their integer digits")
        << "#,##0" << 1e15 << "1.000.000.000.000.000";
    QTest::newRow("negative section shows the value without sign, literals around")
        << "$#,##0;($#,##0)" << -1234.0 << "($1.234)";
    QTest::newRow("zero section with a quoted literal") << "0.00;-0.00;'cero'" << 0.0 << "cero";
    QTest::newRow("empty negative section falls back to the first with a sign")
        << "0.0;;'cero'" << -3.25 << "-3,3";
    QTest::newRow("no pattern: general format with the decimal comma") << "" << 1234.5 << "1234,5";
}

void TstFields::format()
{
    QFETCH(QString, pattern);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(FloatFormatter::format(pattern, value), expected);
}

void TstFields::separatorsComeFromTheSettings()
{
    tavrel::FormatSettings::instance().setDecimalSeparator(QLatin1Char('.'));
    tavrel::FormatSettings::instance().setThousandSeparator(QLatin1Char(','));
    QCOMPARE(FloatFormatter::format(u"#,##0.00"_s, 1234.5), u"1,234.50"_s);
    QCOMPARE(FloatFormatter::general(0.25), u"0.25"_s);
}

void TstFields::csvQuote_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a decimal comma needs no quotes") << u"1.234,50"_s << u"1.234,50"_s;
    QTest::newRow("the separator does") << u"A;B"_s << u"\"A;B\""_s;
    QTest::newRow("quotes are doubled") << u"Dijo \"sí\""_s << u"\"Dijo \"\"sí\"\"\""_s;
    QTest::newRow("a line break stays inside the value")
        << u"línea 1\nlínea 2"_s << u"\"línea 1\nlínea 2\""_s;
    QTest::newRow("leading blanks would be trimmed by Excel") << u" 01"_s << u"\" 01\""_s;
}

void TstFields::csvQuote()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QCOMPARE(tavrel::CsvWriter::quote(value), expected);
}

QTEST_GUILESS_MAIN(TstFields)
#include "tst_fields.moc"
