#include "TextoComas.h"

#include <QTest>

// The program paths come back from the server as one comma text.
class TstTextoComas : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void leer_data();
    void leer();
};

void TstTextoComas::leer_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QStringList>("entradas");

    QTest::newRow("two entries separated by a comma")
        << "nomina/VNmNccon,nomina/VNmNcmco" << QStringList{"nomina/VNmNccon", "nomina/VNmNcmco"};
    QTest::newRow("blanks alone separate too, outside quotes")
        << "\"C:\\Tavrel\\Nomina Uno\\VNmNccon.exe\" otros\\VNmNcmco.exe"
        << QStringList{"C:\\Tavrel\\Nomina Uno\\VNmNccon.exe", "otros\\VNmNcmco.exe"};
    QTest::newRow("comma between blanks is one separator")
        << " uno ,  dos " << QStringList{"uno", "dos"};
    QTest::newRow("quotes keep blanks and commas inside")
        << "\"C:\\Mis Programas\\a,b.exe\",x" << QStringList{"C:\\Mis Programas\\a,b.exe", "x"};
    QTest::newRow("an empty quoted entry is kept: the first program has no path")
        << "\"\",nomina/VNmNcmco" << QStringList{"", "nomina/VNmNcmco"};
    QTest::newRow("a trailing comma leaves an empty last entry") << "a," << QStringList{"a", ""};
    QTest::newRow("a missing closing quote takes the rest") << "\"a b" << QStringList{"a b"};
}

void TstTextoComas::leer()
{
    QFETCH(QString, texto);
    QFETCH(QStringList, entradas);
    QCOMPARE(TextoComas::leer(texto), entradas);
}

QTEST_APPLESS_MAIN(TstTextoComas)
#include "tst_textocomas.moc"
