#include "CommandText.h"
#include "ModuleError.h"
#include "SClientDataSet.h"

#include <QTest>

class TstCommandText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parameterNames_data();
    void parameterNames();
    void newTextKeepsValuesOfParamsThatStay();
    void sqlLinesAndCommandTextAgree();
    void paramByNameIgnoresCaseAndNamesTheMissingOne();
};

void TstCommandText::parameterNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("markers in the order they stand")
        << "WHERE (COD_EMPR = :P_COD_EMPR) AND\n(COD_CONT = :P_COD_CONT)"
        << QStringList{"P_COD_EMPR", "P_COD_CONT"};
    QTest::newRow("a repeated marker counts once, whatever its case")
        << "WHERE A = :codempr OR B = :CODEMPR" << QStringList{"codempr"};
    QTest::newRow("colon inside single quotes is text")
        << "WHERE HORA = '10:30' AND X = ':NO' AND Y = :SI" << QStringList{"SI"};
    QTest::newRow("colon inside double quotes is text")
        << "SELECT \":NO\" FROM T WHERE Y = :SI" << QStringList{"SI"};
    QTest::newRow("doubled quote does not end the literal")
        << "WHERE N = 'it''s :NO' AND Y = :SI" << QStringList{"SI"};
    QTest::newRow("double colon is a cast, not a marker")
        << "WHERE X::integer = :P" << QStringList{"P"};
    QTest::newRow("an apostrophe in a comment does not open a literal")
        << "-- don't use :NO here\nWHERE Y = :SI /* nor :NO2 */" << QStringList{"SI"};
    QTest::newRow("a colon not followed by a name is no marker")
        << "SELECT a : b, :1 FROM T" << QStringList{};
}

void TstCommandText::parameterNames()
{
    QFETCH(QString, text);
    QFETCH(QStringList, names);
    QCOMPARE(tavrel::CommandText::parameterNames(text), names);
}

void TstCommandText::newTextKeepsValuesOfParamsThatStay()
{
    SClientDataSet ds;
    ds.setCommandText(QStringLiteral("SELECT * FROM T WHERE A = :P_A AND B = :P_B"));
    ds.paramByName(QStringLiteral("P_A")).value = 7;
    ds.paramByName(QStringLiteral("P_A")).type = tavrel::FieldType::SmallInt;
    ds.paramByName(QStringLiteral("P_B")).value = QStringLiteral("x");

    ds.setCommandText(QStringLiteral("SELECT * FROM T WHERE C = :P_C AND A = :p_a"));

    QCOMPARE(ds.paramCount(), 2);
    QCOMPARE(ds.param(0).name, QStringLiteral("P_C"));
    QVERIFY(!ds.param(0).value.isValid());
    QCOMPARE(ds.param(1).name, QStringLiteral("p_a"));
    QCOMPARE(ds.param(1).value, QVariant(7));
    QCOMPARE(ds.param(1).type, tavrel::FieldType::SmallInt);
    QVERIFY(!ds.findParam(QStringLiteral("P_B")));
}

void TstCommandText::sqlLinesAndCommandTextAgree()
{
    SClientDataSet ds;
    ds.setSQL({QStringLiteral("SELECT COD_CUEN, NOM_CUEN"), QStringLiteral("FROM NM_NCMCO"),
               QStringLiteral("WHERE (COD_CUEN = :P_COD_CUEN)")});
    QCOMPARE(ds.commandText(), QStringLiteral("SELECT COD_CUEN, NOM_CUEN\nFROM NM_NCMCO\n"
                                              "WHERE (COD_CUEN = :P_COD_CUEN)\n"));
    QCOMPARE(ds.paramCount(), 1);

    ds.setCommandText(QStringLiteral("SELECT * FROM NM_RPCOS\n"));
    QCOMPARE(ds.sql(), QStringList{QStringLiteral("SELECT * FROM NM_RPCOS")});
    QCOMPARE(ds.paramCount(), 0);
    ds.setCommandText(QString());
    QVERIFY(ds.sql().isEmpty());
}

void TstCommandText::paramByNameIgnoresCaseAndNamesTheMissingOne()
{
    SClientDataSet ds;
    ds.setObjectName(QStringLiteral("QryNmNccon"));
    ds.setCommandText(QStringLiteral("SELECT * FROM T WHERE A = :P_COD_EMPR"));
    QCOMPARE(&ds.paramByName(QStringLiteral("p_cod_empr")), &ds.param(0));
    try {
        ds.paramByName(QStringLiteral("P_COD_CONT"));
        QFAIL("an unknown parameter was accepted");
    } catch (const tavrel::ModuleError& e) {
        QVERIFY2(e.message().contains(QLatin1String("P_COD_CONT")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QLatin1String("QryNmNccon")), qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(TstCommandText)
#include "tst_commandtext.moc"
