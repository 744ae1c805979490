#include "SepararParametrosHpv.h"

#include <QTest>

// How the host's parameter text is split into the list and which entry becomes the
// filter; a blank text never gets here (the load entry keeps the previous list).
class TstSepararParametrosHpv : public QObject
{
    Q_OBJECT

private slots:
    void split_data();
    void split();
    void runLongerThanPositionCounterIsCut();
};

void TstSepararParametrosHpv::split_data()
{
    QTest::addColumn<QString>("hpv");
    QTest::addColumn<QStringList>("params");
    QTest::addColumn<QString>("filter");

    QTest::newRow("the later AND entry wins, in its own letter case")
        << "\"AND A = 1\" \"and B = 2\"" << QStringList{"AND A = 1", "and B = 2"} << "and B = 2";
    QTest::newRow("ANDES counts: only three letters are compared")
        << "\"AND A = 1\" ANDES" << QStringList{"AND A = 1", "ANDES"} << "ANDES";
    QTest::newRow("missing closing quote: an empty entry, then the text")
        << "\"abc" << QStringList{"", "abc"} << "";
    QTest::newRow("leading blank: one empty entry in front")
        << " abc" << QStringList{"", "abc"} << "";
    QTest::newRow("only the blank separates: a tab stays inside the token")
        << "a\tb c" << QStringList{"a\tb", "c"} << "";
    QTest::newRow("a leading tab is trimmed away, unlike a leading blank")
        << "\tabc" << QStringList{"abc"} << "";
    QTest::newRow("runs of blanks give no empty entries; duplicates stay")
        << "abc    abc" << QStringList{"abc", "abc"} << "";
    QTest::newRow("inner blanks of a quoted token stay, its outer blanks go")
        << "x \"  AND A  =  1 \"z" << QStringList{"x", "AND A  =  1", "z"} << "AND A  =  1";
    QTest::newRow("a quote inside a token drops the string's first character")
        << "ab\"c d" << QStringList{"b", "c", "d"} << "";
    QTest::newRow("codes below 32 trim like blanks; a non-breaking space is text")
        << QString::fromUtf16(u"\u00a0x\u0001\u001f") << QStringList{QString::fromUtf16(u"\u00a0x")}
        << "";
    QTest::newRow("AN is too short and ÁND is not folded")
        << QString::fromUtf16(u"AN \u00c1ND aNd")
        << QStringList{"AN", QString::fromUtf16(u"\u00c1ND"), "aNd"} << "aNd";
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
    QString hpv = QString(40000, u'x') + QStringLiteral(" and");
    QStringList list;
    SepararParametrosHpv(hpv, list);
    QCOMPARE(list.size(), 3);
    QCOMPARE(list[0].size(), 32767);
    QCOMPARE(list[1].size(), 40000 - 32767);
    QCOMPARE(hpv, QString("and"));
}

QTEST_GUILESS_MAIN(TstSepararParametrosHpv)
#include "tst_separarparametroshpv.moc"
