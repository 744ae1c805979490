#include "CsvWriter.h"

#include <QTest>

using tavrel::CsvWriter;

class TstCsvWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quote_data();
    void quote();
};

void TstCsvWriter::quote_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a decimal comma needs no quotes") << "1.234,50"
                                                     << "1.234,50";
    QTest::newRow("the separator does") << "A;B"
                                        << "\"A;B\"";
    QTest::newRow("quotes are doubled") << "Dijo \"sí\""
                                        << "\"Dijo \"\"sí\"\"\"";
    QTest::newRow("a line break stays inside the value") << "línea 1\nlínea 2"
                                                         << "\"línea 1\nlínea 2\"";
    QTest::newRow("leading blanks would be trimmed by Excel") << " 01"
                                                              << "\" 01\"";
    QTest::newRow("empty stays empty") << ""
                                       << "";
}

void TstCsvWriter::quote()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QCOMPARE(CsvWriter::quote(value), expected);
}

QTEST_APPLESS_MAIN(TstCsvWriter)
#include "tst_csvwriter.moc"
