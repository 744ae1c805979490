// The workbook reader: the parts of a workbook that other programs write, and files that
// are not workbooks or are damaged.

#include "ModuleError.h"
#include "XlsxReader.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using tavrel::ModuleError;
using tavrel::XlsxReader;

namespace {

QString makeWorkbook(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(u"libro.xlsx"_s);
    QProcess python;
    python.start(u"/usr/bin/python3"_s, {QFINDTESTDATA("workbook_parts.py"), path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        qFatal("python3 could not write the workbook: %s", python.readAllStandardError().data());
    return path;
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

class TstXlsxReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsTheFirstSheetOfTheWorkbook();
    void refusesWhatIsNotAWorkbook_data();
    void refusesWhatIsNotAWorkbook();
    void damagedCopiesAreRefusedNeverCrash();
};

void TstXlsxReader::readsTheFirstSheetOfTheWorkbook()
{
    QTemporaryDir dir;
    const XlsxReader::Sheet sheet = XlsxReader::firstSheet(makeWorkbook(dir));
    QCOMPARE(sheet.name, u"Relación"_s);
    QCOMPARE(sheet.rows.size(), 3); // the row with an empty cell only is left out
    QCOMPARE(sheet.rows[0].cells,
             (QVariantList{u"Contabilización"_s, QVariant(), u"Valor Total"_s}));
    QCOMPARE(sheet.rows[1].cells, (QVariantList{10.0, u"1.234,5"_s, u"veinte"_s}));
    QCOMPARE(sheet.rows[2].number, 4);
    QCOMPARE(sheet.rows[2].cells.size(), 27); // column AA
    QCOMPARE(sheet.rows[2].cells.last(), QVariant(-0.25));
}

void TstXlsxReader::refusesWhatIsNotAWorkbook_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("a text file") << QByteArray("COD_CONT;COD_CUEN\n10;5101\n")
                                 << u"no es un libro de Excel (.xlsx) o está dañado"_s;
    QTest::newRow("an empty file") << QByteArray() << u"no es un libro de Excel"_s;
    // An archive of another kind: a zip without the workbook's relationships.
    QTest::newRow("a zip that is no workbook")
        << QByteArray::fromBase64(
               "UEsDBBQAAAAAAHSth12I+aBvBAAAAAQAAAAFAAAAYS50eHRob2xhUEsBAhQDFAAAAAAA"
               "dK2HXYj5oG8EAAAABAAAAAUAAAAAAAAAAAAAAIABAAAAAGEudHh0UEsFBgAAAAAB"
               "AAEAMwAAACcAAAAAAA==")
        << u"le falta la parte _rels/.rels"_s;
}

void TstXlsxReader::refusesWhatIsNotAWorkbook()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"x.xlsx"_s);
    write(path, content);
    try {
        XlsxReader::firstSheet(path);
        QFAIL("read");
    } catch (const ModuleError& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        QVERIFY2(e.message().contains(path), qPrintable(e.message()));
    }
}

// Cut short at every length and with bytes overwritten at random: each copy is read or
// refused with a message naming the file, and the reader never crashes or hangs.
void TstXlsxReader::damagedCopiesAreRefusedNeverCrash()
{
    QTemporaryDir dir;
    QFile original(makeWorkbook(dir));
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray good = original.readAll();
    const QString path = dir.filePath(u"dañado.xlsx"_s);
    QRandomGenerator random(20261207);
    QList<QByteArray> copies;
    for (qsizetype n = 0; n < good.size(); n += 7)
        copies.append(good.left(n));
    for (int i = 0; i < 300; ++i) {
        QByteArray bad = good;
        for (int k = 0; k < 1 + i % 4; ++k)
            bad[random.bounded(int(bad.size()))] = char(random.bounded(256));
        copies.append(bad);
    }
    int refused = 0;
    for (const QByteArray& copy : copies) {
        write(path, copy);
        try {
            XlsxReader::firstSheet(path);
        } catch (const ModuleError& e) {
            ++refused;
            QVERIFY2(e.message().startsWith(u"El archivo «"_s + path), qPrintable(e.message()));
        }
    }
    // Every truncated copy lacks the archive's directory.
    QVERIFY2(refused >= good.size() / 7, qPrintable(QString::number(refused)));
}

QTEST_GUILESS_MAIN(TstXlsxReader)
#include "tst_xlsxreader.moc"
