// Criteria typed into the query-by-example window turned into SQL.

#include "ModuleError.h"
#include "QbeConditionBuilder.h"

#include <QTest>

using tavrel::FieldType;
using tavrel::ModuleError;
using tavrel::QbeConditionBuilder;
using tavrel::QbeOperator;

Q_DECLARE_METATYPE(FieldType)
Q_DECLARE_METATYPE(QbeOperator)

class TstQbeConditionBuilder : public QObject
{
    Q_OBJECT

private slots:
    void criterion_data();
    void criterion();
    void conditionStartsByTag();
    void composeQuery_data();
    void composeQuery();
};

void TstQbeConditionBuilder::criterion_data()
{
    QTest::addColumn<FieldType>("type");
    QTest::addColumn<QbeOperator>("op");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("sql"); // or the start of the refusal, after "!"

    const auto S = FieldType::String;
    const auto eq = QbeOperator::Equal;
    QTest::newRow("an injection attempt stays one literal, quotes doubled")
        << S << eq << "x' OR '1'='1"
        << "UPPER(COL) = 'X'' OR ''1''=''1'";
    QTest::newRow("typed in lower case, compared in upper case, accents included")
        << S << QbeOperator::Contains << " bonificación "
        << "UPPER(COL) LIKE '%BONIFICACIÓN%' ESCAPE '!'";
    QTest::newRow("% _ and the escape character itself are searched for literally")
        << S << QbeOperator::StartsWith << "5!0%_"
        << "UPPER(COL) LIKE '5!!0!%!_%' ESCAPE '!'";
    QTest::newRow("Colombian thousands and decimal separators")
        << FieldType::Float << QbeOperator::Greater << "1.234,5"
        << "COL > 1234.5";
    QTest::newRow("decimal point gives the shortest exact literal")
        << FieldType::Float << QbeOperator::LessOrEqual << "0.1"
        << "COL <= 0.1";
    QTest::newRow("a date equals every moment of that day")
        << FieldType::DateTime << eq << "03/02/2014"
        << "(COL >= '2014-02-03T00:00:00.000' AND COL < '2014-02-04T00:00:00.000')";
    QTest::newRow("after the last day of a year starts with the next year")
        << FieldType::DateTime << QbeOperator::Greater << "31/12/2013"
        << "COL >= '2014-01-01T00:00:00.000'";
    QTest::newRow("ISO date with dashes")
        << FieldType::DateTime << QbeOperator::Less << "2014-02-03"
        << "COL < '2014-02-03T00:00:00.000'";
    QTest::newRow("yes in Spanish is true") << FieldType::Boolean << eq << "sí"
                                            << "COL = TRUE";

    QTest::newRow("letter O typed for a zero") << FieldType::Integer << eq << "1O"
                                               << "!«1O» no es un número válido para «col»";
    QTest::newRow("beyond the range of a small integer") << FieldType::SmallInt << eq << "40000"
                                                         << "!«40000» no es un número válido";
    QTest::newRow("text operator on a number") << FieldType::Integer << QbeOperator::Contains << "1"
                                               << "!El operador «contiene» no se puede";
    QTest::newRow("the 31st of February") << FieldType::DateTime << eq << "31/02/2014"
                                          << "!«31/02/2014» no es una fecha válida para «col»; "
                                             "escríbala como dd/MM/yyyy";
    QTest::newRow("year first with slashes is no date") << FieldType::DateTime << eq << "2014/02/03"
                                                        << "!«2014/02/03» no es una fecha válida";
    QTest::newRow("a line break inside a text value")
        << S << eq << "a\nb"
        << "!El valor de «col» tiene caracteres de control";
}

void TstQbeConditionBuilder::criterion()
{
    QFETCH(FieldType, type);
    QFETCH(QbeOperator, op);
    QFETCH(QString, value);
    QFETCH(QString, sql);

    QbeConditionBuilder builder;
    builder.setUpperCase(true);
    try {
        QCOMPARE(
            builder.expression({{QStringLiteral("COL"), QStringLiteral("col"), type, op, value}}),
            sql);
    } catch (const ModuleError& e) {
        QVERIFY2(sql.startsWith('!') && e.message().startsWith(sql.mid(1)),
                 qPrintable(e.message()));
        QCOMPARE(e.kind(), ModuleError::Kind::Conversion);
    }
}

void TstQbeConditionBuilder::conditionStartsByTag()
{
    const QList<tavrel::QbeCriterion> criteria{
        {QStringLiteral("COD"), {}, FieldType::Integer, QbeOperator::Greater, QStringLiteral("5")},
        {QStringLiteral("NOM"), {}, FieldType::String, QbeOperator::Equal, QStringLiteral("  ")},
        {QStringLiteral("VAL"), {}, FieldType::Float, QbeOperator::Less, QStringLiteral("9")}};
    QbeConditionBuilder builder;
    QCOMPARE(builder.condition(criteria, 0), QStringLiteral(" WHERE COD > 5 AND VAL < 9"));
    QCOMPARE(builder.condition(criteria, 1), QStringLiteral(" AND COD > 5 AND VAL < 9"));
    QCOMPARE(builder.condition({criteria[1]}, 0), QString());
    QVERIFY_THROWS_EXCEPTION(ModuleError, builder.expression({{QStringLiteral("NOM; DELETE"),
                                                               {},
                                                               FieldType::String,
                                                               QbeOperator::Equal,
                                                               QStringLiteral("x")}}));
}

void TstQbeConditionBuilder::composeQuery_data()
{
    QTest::addColumn<QString>("baseCondition");
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("query");

    QTest::newRow("without restriction the condition is appended as it is")
        << "" << 0 << " WHERE 1=0"
        << "SELECT * FROM T WHERE 1=0";
    QTest::newRow("restriction alone") << "COD_EMPR = 2" << 0 << ""
                                       << "SELECT * FROM T WHERE (COD_EMPR = 2)";
    QTest::newRow("a typed where (any case) becomes AND after the restriction")
        << "WHERE COD_EMPR = 2" << 0 << "\nwhere A = 1"
        << "SELECT * FROM T WHERE (COD_EMPR = 2) AND A = 1";
    QTest::newRow("base with its own WHERE (tag 1) gets the restriction with AND")
        << "COD_EMPR = 2" << 1 << " AND A = 1"
        << "SELECT * FROM T AND (COD_EMPR = 2) AND A = 1";
}

void TstQbeConditionBuilder::composeQuery()
{
    QFETCH(QString, baseCondition);
    QFETCH(int, tag);
    QFETCH(QString, condition);
    QFETCH(QString, query);
    QCOMPARE(QbeConditionBuilder::composeQuery(QStringLiteral("SELECT * FROM T"), baseCondition,
                                               tag, condition),
             query);
}

QTEST_GUILESS_MAIN(TstQbeConditionBuilder)
#include "tst_qbeconditionbuilder.moc"
