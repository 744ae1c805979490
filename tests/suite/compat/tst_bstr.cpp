#include "Bstr.h"

#include <QTest>

#include <limits>
#include <memory>

namespace {

struct BstrDeleter
{
    void operator()(char16_t* text) const { SysFreeString(text); }
};
using OwnedBstr = std::unique_ptr<char16_t, BstrDeleter>;

} // namespace

class TstBstr : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void allocStringStopsAtFirstZero();
    void allocStringLenWithoutText();
    void nullAndImpossibleLengths();
};

void TstBstr::roundTrip_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty text is a real, zero-length BSTR") << QString("");
    QTest::newRow("accents are one UTF-16 unit each") << QString("Relación Rubros");
    QTest::newRow("surrogate pair counts as two characters")
        << QString::fromUtf8("a\xF0\x9F\x98\x80z");
    QTest::newRow("embedded zeros are kept, the prefix gives the length")
        << QString::fromUtf16(u"a\0b\0\0c", 6);
    QTest::newRow("only zeros") << QString(3, QChar(u'\0'));
}

void TstBstr::roundTrip()
{
    QFETCH(QString, text);

    OwnedBstr bstr(tavrel::toBstr(text));
    QVERIFY(bstr);
    QCOMPARE(SysStringLen(bstr.get()), uint32_t(text.size()));
    QCOMPARE(SysStringByteLen(bstr.get()), uint32_t(text.size() * 2));
    QCOMPARE(bstr.get()[text.size()], u'\0');
    QCOMPARE(tavrel::fromBstr(bstr.get()), text);

    // A copy made from the characters and the length is an equal, independent string.
    OwnedBstr copy(SysAllocStringLen(bstr.get(), SysStringLen(bstr.get())));
    QVERIFY(copy.get() != bstr.get());
    bstr.reset();
    QCOMPARE(tavrel::fromBstr(copy.get()), text);
}

void TstBstr::allocStringStopsAtFirstZero()
{
    OwnedBstr bstr(SysAllocString(u"ab\0cd"));
    QCOMPARE(SysStringLen(bstr.get()), 2u);
    QCOMPARE(tavrel::fromBstr(bstr.get()), QString("ab"));
}

void TstBstr::allocStringLenWithoutText()
{
    OwnedBstr bstr(SysAllocStringLen(nullptr, 4));
    QCOMPARE(SysStringLen(bstr.get()), 4u);
    QCOMPARE(tavrel::fromBstr(bstr.get()), QString(4, QChar(u'\0')));
    QCOMPARE(bstr.get()[4], u'\0');
}

void TstBstr::nullAndImpossibleLengths()
{
    QVERIFY(SysAllocString(nullptr) == nullptr);
    QCOMPARE(SysStringLen(nullptr), 0u);
    QCOMPARE(SysStringByteLen(nullptr), 0u);
    QVERIFY(tavrel::fromBstr(nullptr).isEmpty());
    SysFreeString(nullptr);

    // The byte length would not fit the 32-bit prefix: refused instead of truncated.
    QVERIFY(SysAllocStringLen(nullptr, std::numeric_limits<uint32_t>::max()) == nullptr);
    QVERIFY(SysAllocStringLen(nullptr, 0x80000000u) == nullptr);
}

QTEST_GUILESS_MAIN(TstBstr)
#include "tst_bstr.moc"
