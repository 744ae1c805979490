#include "Bstr.h"

#include <QTest>
#include <limits>

class TstBstr : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void lengthsComeFromThePrefix();
};

void TstBstr::roundTrip_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty text is a real, zero-length string") << QString("");
    QTest::newRow("accents are one UTF-16 unit each") << QString("Relación Rubros");
    QTest::newRow("a surrogate pair counts two characters")
        << QString::fromUtf8("a\xF0\x9F\x98\x80");
    QTest::newRow("embedded zeros are kept") << QString::fromUtf16(u"a\0b\0\0c", 6);
    // The units are copied as they are: nothing is read as a byte-order mark or repaired.
    QTest::newRow("a leading U+FEFF is a character of the text")
        << QString(QChar(0xFEFF)) + QStringLiteral("x");
    QTest::newRow("a lone surrogate stays") << QString(QChar(0xD800)) + QStringLiteral("1");
}

void TstBstr::roundTrip()
{
    QFETCH(QString, text);

    BSTR bstr = tavrel::toBstr(text);
    QCOMPARE(SysStringLen(bstr), uint32_t(text.size()));
    QCOMPARE(SysStringByteLen(bstr), uint32_t(text.size() * 2));
    QCOMPARE(bstr[text.size()], u'\0');
    BSTR copy = SysAllocStringLen(bstr, SysStringLen(bstr));
    SysFreeString(bstr);
    QCOMPARE(tavrel::fromBstr(copy), text);
    SysFreeString(copy);
}

void TstBstr::lengthsComeFromThePrefix()
{
    BSTR untilZero = SysAllocString(u"ab\0cd");
    QCOMPARE(tavrel::fromBstr(untilZero), QString("ab"));
    BSTR zeros = SysAllocStringLen(nullptr, 3);
    QCOMPARE(tavrel::fromBstr(zeros), QString(3, QChar(u'\0')));
    SysFreeString(untilZero);
    SysFreeString(zeros);

    QVERIFY(!SysAllocString(nullptr));
    QCOMPARE(SysStringLen(nullptr), 0u);
    QVERIFY(tavrel::fromBstr(nullptr).isEmpty());
    SysFreeString(nullptr);
    // A byte length beyond the 32-bit prefix is refused, not truncated.
    QVERIFY(!SysAllocStringLen(nullptr, 0x80000000u));
}

QTEST_GUILESS_MAIN(TstBstr)
#include "tst_bstr.moc"
