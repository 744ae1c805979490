#include "SepararParametrosHpv.h"

#include <QTest>

// The cases the host sends every day go through the real load entry in
// tst_entrypoints; these pin the corners of the splitting itself.
class TstSepararParametrosHpv : public QObject
{
    Q_OBJECT

private slots:
    void split_data();
    void split();
    void runLongerThanPositionCounterIsCut();
    void trimOnlyRemovesCodesUpTo32();
};

void TstSepararParametrosHpv::split_data()
{
    QTest::addColumn<QString>("hpv");
    QTest::addColumn<QStringList>("params");
    QTest::addColumn<QString>("filter");

    QTest::newRow("only the blank separates: a tab stays inside the token")
        << "a\tb c" << QStringList{"a\tb", "c"} << "";
    QTest::newRow("a leading tab is trimmed away, unlike a leading blank")
        << "\tabc" << QStringList{"abc"} << "";
    QTest::newRow("runs of blanks between tokens give no empty entries")
        << "abc    def" << QStringList{"abc", "def"} << "";
    QTest::newRow("duplicates are kept, in order") << "abc abc" << QStringList{"abc", "abc"} << "";
    QTest::newRow("blanks inside quotes stay, blanks at the quoted ends go")
        << "\"  AND A  =  1 \"" << QStringList{"AND A  =  1"} << "AND A  =  1";
    QTest::newRow("quoted token right after another token")
        << "x \"AND Y = 2\"z" << QStringList{"x", "AND Y = 2", "z"} << "AND Y = 2";
    QTest::newRow("empty quotes give an empty entry") << "\"\" abc" << QStringList{"", "abc"} << "";
    QTest::newRow("a quote inside a token drops the string's first character")
        << "ab\"c d" << QStringList{"b", "c", "d"} << "";
    QTest::newRow("control characters at the end are trimmed like blanks")
        << QString::fromUtf16(u"abc\u0001\u001f") << QStringList{"abc"} << "";
    QTest::newRow("a non-breaking space is text, not a blank")
        << QString::fromUtf16(u"a\u00a0b") << QStringList{QString::fromUtf16(u"a\u00a0b")} << "";
    QTest::newRow("AN is too short to count") << "AN ANDX" << QStringList{"AN", "ANDX"} << "ANDX";
    QTest::newRow("accented letters are not folded: ÁND does not count")
        << QString::fromUtf16(u"\u00c1ND and")
        << QStringList{QString::fromUtf16(u"\u00c1ND"), "and"} << "and";
    QTest::newRow("the filter keeps an entry's own letter case")
        << "\"aNd z = 'Q'\"" << QStringList{"aNd z = 'Q'"} << "aNd z = 'Q'";
}

void TstSepararParametrosHpv::split()
{
    QFETCH(QString, hpv);
    QFETCH(QStringList, params);
    QFETCH(QString, filter);

    QStringList list{"entrada anterior"};
    SepararParametrosHpv(hpv, list);
    QCOMPARE(list, params);
    QCOMPARE(hpv, filter);
}

void TstSepararParametrosHpv::runLongerThanPositionCounterIsCut()
{
    const QString run(40000, u'x');
    QString hpv = run + QStringLiteral(" and");
    QStringList list;
    SepararParametrosHpv(hpv, list);
    QCOMPARE(list.size(), 3);
    QCOMPARE(list[0].size(), 32767);
    QCOMPARE(list[1].size(), 40000 - 32767);
    QCOMPARE(list[2], QString("and"));
    QCOMPARE(hpv, QString("and"));
}

void TstSepararParametrosHpv::trimOnlyRemovesCodesUpTo32()
{
    QCOMPARE(RecortarEspacios(QString::fromUtf16(u"\0\t x \r\n ", 8)), QString("x"));
    const QString nbsp = QString::fromUtf16(u"\u00a0x\u00a0");
    QCOMPARE(RecortarEspacios(nbsp), nbsp);
}

QTEST_GUILESS_MAIN(TstSepararParametrosHpv)
#include "tst_separarparametroshpv.moc"
