#include "HostOptions.h"
#include "ProgramCatalog.h"

#include <QTest>

using tavrel::HostOptions;

class TstHostOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void catalogFindsTheProgramByAnyName_data();
    void catalogFindsTheProgramByAnyName();
};

void TstHostOptions::parse_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("subcommand");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("errorPart");

    QTest::newRow("direct opening with every session value")
        << QStringList{"--database", "demo.sqlite", "--user", "JPEREZ", "--password",
                       "x",          "--company",   "1",      "--open", "VEdUvura"}
        << QString() << "demo.sqlite"
        << "VEdUvura" << QString();
    QTest::newRow("sub-command keeps its own arguments untouched")
        << QStringList{"init-db", "--database", "d.sqlite", "--demo"} << "init-db" << QString()
        << QString() << QString();
    QTest::newRow("an option without its value is an error")
        << QStringList{"--database"} << QString() << QString() << QString()
        << "Falta el valor de --database";
    QTest::newRow("unknown option is named")
        << QStringList{"--colour", "red"} << QString() << QString() << QString() << "--colour";
}

void TstHostOptions::parse()
{
    QFETCH(QStringList, args);
    QFETCH(QString, subcommand);
    QFETCH(QString, database);
    QFETCH(QString, open);
    QFETCH(QString, errorPart);

    const HostOptions o = HostOptions::parse(args);
    QCOMPARE(o.subcommand, subcommand);
    QCOMPARE(o.database, database);
    QCOMPARE(o.openModule, open);
    if (errorPart.isEmpty())
        QVERIFY2(o.error.isEmpty(), qPrintable(o.error));
    else
        QVERIFY2(o.error.contains(errorPart), qPrintable(o.error));
    if (!subcommand.isEmpty())
        QCOMPARE(o.subcommandArgs, args.mid(1));
}

void TstHostOptions::catalogFindsTheProgramByAnyName_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("library name, as --open takes it") << "VEdUvura";
    QTest::newRow("program code in another case") << "vvezezev";
    QTest::newRow("caption as the menu shows it") << "Relación Rubros SIIF2";
}

void TstHostOptions::catalogFindsTheProgramByAnyName()
{
    QFETCH(QString, key);
    const tavrel::ProgramEntry* p = tavrel::ProgramCatalog::find(key);
    QVERIFY(p);
    QCOMPARE(p->library, QStringLiteral("VEdUvura"));
    QVERIFY(!tavrel::ProgramCatalog::find(QStringLiteral("VNoExiste")));
}

QTEST_GUILESS_MAIN(TstHostOptions)
#include "tst_hostoptions.moc"
