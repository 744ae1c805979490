#include "CommaText.h"
#include "DemoData.h"
#include "PasswordHash.h"
#include "SchemaCatalog.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace tavrel;

class TstServerHelpers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commaTextRoundTrip_data();
    void commaTextRoundTrip();
    void pbkdf2MatchesPublishedVectors_data();
    void pbkdf2MatchesPublishedVectors();
    void passwordHashes();
    void passwordHashUpgrade_data();
    void passwordHashUpgrade();
    void nitCheckDigit_data();
    void nitCheckDigit();
    void catalogueGivesOneMeaningPerColumn();
};

void TstServerHelpers::commaTextRoundTrip_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("joined"); // the text is also what the entries join into

    QTest::newRow("plain entries are not quoted") << QStringList{"a/b", "c"} << "a/b,c" << true;
    QTest::newRow("blank inside an entry quotes it")
        << QStringList{"Mis Programas/x", "y"} << "\"Mis Programas/x\",y" << true;
    QTest::newRow("comma and quote inside an entry")
        << QStringList{"a,b", "say \"hi\""} << "\"a,b\",\"say \"\"hi\"\"\"" << true;
    QTest::newRow("empty entry between two keeps its place")
        << QStringList{"a", "", "c"} << "a,,c" << true;
    QTest::newRow("a single empty entry is not an empty list") << QStringList{""} << "\"\"" << true;
    QTest::newRow("no entries") << QStringList{} << "" << true;
    QTest::newRow("program codes as the module sends them")
        << QStringList{"VNmNccon", "VNmNcmco"} << "\"VNmNccon\",\"VNmNcmco\"" << false;
    QTest::newRow("blank outside quotes separates")
        << QStringList{"a", "b", "c"} << "a b,c" << false;
    QTest::newRow("paths as the module reads them: a quoted blank is kept")
        << QStringList{"C:\\Tavrel\\Nomina Uno\\VNmNccon.exe", "otros\\VNmNcmco.exe"}
        << "\"C:\\Tavrel\\Nomina Uno\\VNmNccon.exe\" otros\\VNmNcmco.exe" << false;
    QTest::newRow("comma between blanks is one separator")
        << QStringList{"uno", "dos"} << " uno ,  dos " << false;
    QTest::newRow("the first program has no path")
        << QStringList{"", "nomina/VNmNcmco"} << "\"\",nomina/VNmNcmco" << false;
    QTest::newRow("trailing comma adds an empty entry") << QStringList{"a", ""} << "a," << false;
    QTest::newRow("a missing closing quote takes the rest")
        << QStringList{"a b"} << "\"a b" << false;
}

void TstServerHelpers::commaTextRoundTrip()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, text);
    QFETCH(bool, joined);
    if (joined)
        QCOMPARE(CommaText::join(entries), text);
    QCOMPARE(CommaText::split(text), entries);
}

void TstServerHelpers::pbkdf2MatchesPublishedVectors_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("salt");
    QTest::addColumn<int>("iterations");
    QTest::addColumn<QByteArray>("keyHex");

    // RFC 7914, section 11: two output blocks, so the block counter is exercised.
    QTest::newRow("RFC 7914 one iteration, 64 bytes")
        << QByteArray("passwd") << QByteArray("salt") << 1
        << QByteArray("55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
                      "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783");
    QTest::newRow("many iterations, 32 bytes")
        << QByteArray("password") << QByteArray("salt") << 4096
        << QByteArray("c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a");
}

void TstServerHelpers::pbkdf2MatchesPublishedVectors()
{
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, salt);
    QFETCH(int, iterations);
    QFETCH(QByteArray, keyHex);
    const QByteArray key = PasswordHash::pbkdf2(password, salt, iterations, int(keyHex.size() / 2));
    QCOMPARE(key.toHex(), keyHex);
}

void TstServerHelpers::passwordHashes()
{
    const QString stored = PasswordHash::make(u"Tavrel2026"_s);
    QVERIFY(!stored.contains(u"Tavrel2026"_s));
    QVERIFY(PasswordHash::verify(u"Tavrel2026"_s, stored));
    QVERIFY(!PasswordHash::verify(u"tavrel2026"_s, stored));
    // Two hashes of one password differ by their random salt.
    QVERIFY(stored != PasswordHash::make(u"Tavrel2026"_s));
    // A damaged stored value never validates.
    QVERIFY(!PasswordHash::verify(u"Tavrel2026"_s, u"Tavrel2026"_s));
    QVERIFY(!PasswordHash::verify(QString(), QString()));
}

void TstServerHelpers::passwordHashUpgrade_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("upgrade");
    const QByteArray salt(16, 's');
    // What a database of the 10 000-iteration days holds: raised at the next login.
    QTest::newRow("older work factor") << PasswordHash::make(u"x"_s, salt, 10000) << true;
    QTest::newRow("full work factor") << PasswordHash::make(u"x"_s) << false;
    // A count above the full one is somebody's deliberate choice, not to be lowered.
    QTest::newRow("more than the full work factor")
        << PasswordHash::make(u"x"_s, salt, PasswordHash::defaultIterations + 1) << false;
    // Nothing to raise in what is no hash: such a value never validates anyway.
    QTest::newRow("plain text") << u"Tavrel2026"_s << false;
    QTest::newRow("other scheme") << u"md5$1$c2FsdA==$a2V5"_s << false;
}

void TstServerHelpers::passwordHashUpgrade()
{
    QFETCH(QString, stored);
    QFETCH(bool, upgrade);
    QCOMPARE(PasswordHash::needsUpgrade(stored), upgrade);
}

void TstServerHelpers::nitCheckDigit_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("nit");

    // Published NITs of national bodies, with their DIAN check digits.
    QTest::newRow("DIAN, remainder gives 11 - r") << u"800197268"_s << u"800.197.268-4"_s;
    QTest::newRow("Ministerio de Hacienda") << u"899999090"_s << u"899.999.090-2"_s;
}

void TstServerHelpers::nitCheckDigit()
{
    QFETCH(QString, digits);
    QFETCH(QString, nit);
    QCOMPARE(DemoData::nitWithCheckDigit(digits), nit);
}

void TstServerHelpers::catalogueGivesOneMeaningPerColumn()
{
    const SchemaCatalog& catalog = SchemaCatalog::instance();
    QCOMPARE(catalog.inconsistentColumns(), QStringList());
    for (const TableDef& table : catalog.tables())
        QVERIFY2(!table.column(SchemaCatalog::technicalKey()), qPrintable(table.name));
}

QTEST_GUILESS_MAIN(TstServerHelpers)
#include "tst_serverhelpers.moc"
