#include "Field.h"
#include "ModuleError.h"
#include "SClientDataSet.h"

#include <QTest>

using tavrel::Field;
using tavrel::FieldKind;
using tavrel::FieldType;
using tavrel::ModuleError;

Q_DECLARE_METATYPE(FieldType)

class TstFields : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void assign_data();
    void assign();
    void displayText_data();
    void displayText();
    void refusals_data();
    void refusals();
};

void TstFields::assign_data()
{
    QTest::addColumn<FieldType>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<bool>("asText");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<QString>("error");

    QTest::newRow("an Integer fits a SmallInt")
        << FieldType::SmallInt << 0 << QVariant(12) << false << QVariant(12) << "";
    QTest::newRow("40000 does not fit in 16 bits")
        << FieldType::SmallInt << 0 << QVariant(40000) << false << QVariant() << "entero corto";
    QTest::newRow("a user code is cut to the field size")
        << FieldType::String << 8 << QVariant("ADMINISTRADOR") << false << QVariant("ADMINIST")
        << "";
    QTest::newRow("fixed char loses its padding before the size counts")
        << FieldType::FixedChar << 2 << QVariant("01  ") << false << QVariant("01") << "";
    QTest::newRow("a number typed with Colombian separators")
        << FieldType::Float << 0 << QVariant("1.234,5") << true << QVariant(1234.5) << "";
    QTest::newRow("unreadable number text is refused naming the text")
        << FieldType::Float << 0 << QVariant("abc") << true << QVariant() << "'abc'";
    QTest::newRow("blank text empties a number")
        << FieldType::Integer << 0 << QVariant("  ") << true << QVariant() << "";
    QTest::newRow("a date typed day first is midnight")
        << FieldType::DateTime << 0 << QVariant("31/12/2013") << true
        << QVariant(QDateTime(QDate(2013, 12, 31), QTime(0, 0))) << "";
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
    Field* f = ds.addField(QStringLiteral("COD_CONT"), type, size);
    ds.createDataSet();
    ds.append();
    try {
        if (asText)
            f->setAsString(input.toString());
        else
            f->setValue(input);
        QVERIFY2(error.isEmpty(), "the value was accepted");
        QCOMPARE(f->value(), expected);
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
    Field* f = ds.addField(QStringLiteral("VALOR"), type);
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
    ds.setObjectName(QStringLiteral("CdsLista"));
    ds.addField(QStringLiteral("COD"), FieldType::Integer);
    ds.addField(QStringLiteral("AUDITORIA"), FieldType::String, 8)->setReadOnly(true);
    ds.addField(QStringLiteral("SALDO"), FieldType::Float, 0, FieldKind::Calculated);
    ds.createDataSet();
    ds.append();
    ds.post();
    if (editing)
        ds.edit();
    try {
        ds.fieldByName(field)->setValue(1);
        QFAIL("the assignment was accepted");
    } catch (const ModuleError& e) {
        QVERIFY2(e.message().contains(error), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QLatin1String("CdsLista")), qPrintable(e.message()));
    }
    QVERIFY(ds.fieldByName(field)->isNull());
}

QTEST_GUILESS_MAIN(TstFields)
#include "tst_fields.moc"
