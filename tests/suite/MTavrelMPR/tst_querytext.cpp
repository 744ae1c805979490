// SQL text as the datasets handle it: parameter markers, lines, conditions added to a
// query typed by the module, and the criteria typed into the query-by-example window.

#include "CommandText.h"
#include "QbeConditionBuilder.h"
#include "SClientDataSet.h"
#include "SqlCondition.h"
#include "TestHelpers.h"

#include <QTest>

using namespace Qt::StringLiterals;
using tavrel::FieldType;
using tavrel::ModuleError;
using tavrel::QbeConditionBuilder;
using tavrel::QbeOperator;

Q_DECLARE_METATYPE(FieldType)
Q_DECLARE_METATYPE(QbeOperator)

class TstQueryText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parameterNames_data();
    void parameterNames();
    void paramsFollowTheText();
    void appendCondition_data();
    void appendCondition();
    void compoundQueriesAreRefused();
    void qbeCriterion_data();
    void qbeCriterion();
    void qbeConditionStartsByTag();
};

void TstQueryText::parameterNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("markers in the order they stand")
        << u"WHERE (COD_EMPR = :P_COD_EMPR) AND\n(COD_CONT = :P_COD_CONT)"_s
        << QStringList{"P_COD_EMPR", "P_COD_CONT"};
    QTest::newRow("a repeated marker counts once, whatever its case")
        << u"WHERE A = :codempr OR B = :CODEMPR"_s << QStringList{"codempr"};
    QTest::newRow("colon inside single quotes is text")
        << u"WHERE HORA = '10:30' AND X = ':NO' AND Y = :SI"_s << QStringList{"SI"};
    QTest::newRow("doubled quote does not end the literal")
        << u"WHERE N = 'it''s :NO' AND Y = :SI"_s << QStringList{"SI"};
    QTest::newRow("double colon is a cast, not a marker")
        << u"WHERE X::integer = :P"_s << QStringList{"P"};
    QTest::newRow("an apostrophe in a comment does not open a literal")
        << u"-- don't use :NO here\nWHERE Y = :SI /* nor :NO2 */"_s << QStringList{"SI"};
    QTest::newRow("a colon not followed by a name is no marker")
        << u"SELECT a : b, :1 FROM T"_s << QStringList{};
}

void TstQueryText::parameterNames()
{
    QFETCH(QString, text);
    QFETCH(QStringList, names);
    QCOMPARE(tavrel::CommandText::parameterNames(text), names);
}

void TstQueryText::paramsFollowTheText()
{
    SClientDataSet ds;
    ds.setObjectName(u"QryNmNccon"_s);
    ds.setSQL({u"SELECT * FROM T"_s, u"WHERE A = :P_A AND B = :P_B"_s});
    QCOMPARE(ds.commandText(), u"SELECT * FROM T\nWHERE A = :P_A AND B = :P_B\n"_s);
    ds.paramByName(u"p_a"_s).value = 7; // names in any case
    ds.paramByName(u"P_A"_s).type = tavrel::FieldType::SmallInt;
    ds.paramByName(u"P_B"_s).value = u"x"_s;

    // A new text keeps the values and types of the params that stay, in the new order.
    ds.setCommandText(u"SELECT * FROM T WHERE C = :P_C AND A = :p_a\n"_s);
    QCOMPARE(ds.sql(), QStringList{u"SELECT * FROM T WHERE C = :P_C AND A = :p_a"_s});
    QCOMPARE(ds.paramCount(), 2);
    QCOMPARE(ds.param(0).name, u"P_C"_s);
    QVERIFY(!ds.param(0).value.isValid());
    QCOMPARE(ds.param(1).name, u"p_a"_s);
    QCOMPARE(ds.param(1).value, QVariant(7));
    QCOMPARE(ds.param(1).type, tavrel::FieldType::SmallInt);
    QVERIFY(mentions(thrownBy([&] { ds.paramByName(u"P_B"_s); }), {u"P_B", u"QryNmNccon"}));
    ds.setCommandText(QString());
    QVERIFY(ds.sql().isEmpty());
}

void TstQueryText::appendCondition_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a text without WHERE gets one before its line break")
        << u"SELECT * FROM NM_RPCOS\n"_s << u"COD_EMPR = 2"_s
        << u"SELECT * FROM NM_RPCOS WHERE COD_EMPR = 2\n"_s;
    QTest::newRow("an existing OR keeps its meaning inside parentheses")
        << u"SELECT * FROM T WHERE A = 1 OR B = 2"_s << u"C = 3"_s
        << u"SELECT * FROM T WHERE (A = 1 OR B = 2) AND (C = 3)"_s;
    QTest::newRow("the condition goes before ORDER BY")
        << u"SELECT * FROM T ORDER BY A"_s << u"C = 3"_s
        << u"SELECT * FROM T WHERE C = 3 ORDER BY A"_s;
    QTest::newRow("a WHERE inside a subquery is not the main one")
        << u"SELECT * FROM T WHERE X IN (SELECT X FROM U WHERE Y = 1) ORDER BY X"_s << u"C = 3"_s
        << u"SELECT * FROM T WHERE (X IN (SELECT X FROM U WHERE Y = 1)) AND (C = 3) ORDER BY X"_s;
    QTest::newRow("words in quotes and comments are text")
        << u"SELECT 'WHERE x ORDER BY' AS W FROM T -- WHERE\n"_s << u"C = 3"_s
        << u"SELECT 'WHERE x ORDER BY' AS W FROM T WHERE C = 3 -- WHERE\n"_s;
    QTest::newRow("a line comment inside the existing condition keeps its line break")
        << u"SELECT * FROM T WHERE A = 1 -- primero\n  OR B = 2 /* fin */\nORDER BY A"_s
        << u"C = 3"_s
        << u"SELECT * FROM T WHERE (A = 1 -- primero\n  OR B = 2) AND (C = 3) /* fin */\nORDER BY A"_s;
    QTest::newRow("a typed condition may start with WHERE")
        << u"SELECT * FROM T"_s << u" WHERE 1=0"_s << u"SELECT * FROM T WHERE 1=0"_s;
    QTest::newRow("an OR added alone is enclosed for whoever adds next")
        << u"SELECT * FROM T"_s << u"A = 1 OR B = 2"_s
        << u"SELECT * FROM T WHERE (A = 1 OR B = 2)"_s;
    QTest::newRow("lower-case keywords are keywords")
        << u"select * from t where a = 1 order by a"_s << u"b = 2"_s
        << u"select * from t WHERE (a = 1) AND (b = 2) order by a"_s;
}

void TstQueryText::appendCondition()
{
    QFETCH(QString, sql);
    QFETCH(QString, condition);
    QFETCH(QString, expected);
    QCOMPARE(tavrel::SqlCondition::append(sql, condition), expected);
}

void TstQueryText::compoundQueriesAreRefused()
{
    const auto error = thrownBy([] {
        tavrel::SqlCondition::append(u"SELECT A FROM T GROUP BY A UNION SELECT A FROM U"_s,
                                     u"A = 1"_s);
    });
    QVERIFY(mentions(error, {u"UNION"}));
}

void TstQueryText::qbeCriterion_data()
{
    QTest::addColumn<FieldType>("type");
    QTest::addColumn<QbeOperator>("op");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("sql"); // or the start of the refusal, after "!"

    const auto S = FieldType::String;
    const auto eq = QbeOperator::Equal;
    QTest::newRow("an injection attempt stays one literal, quotes doubled")
        << S << eq << u"x' OR '1'='1"_s << u"UPPER(COL) = 'X'' OR ''1''=''1'"_s;
    QTest::newRow("typed in lower case, compared in upper case, accents included")
        << S << QbeOperator::Contains << u" bonificación "_s
        << u"UPPER(COL) LIKE '%BONIFICACIÓN%' ESCAPE '!'"_s;
    QTest::newRow("% _ and the escape character itself are searched for literally")
        << S << QbeOperator::StartsWith << u"5!0%_"_s
        << u"UPPER(COL) LIKE '5!!0!%!_%' ESCAPE '!'"_s;
    QTest::newRow("Colombian thousands and decimal separators")
        << FieldType::Float << QbeOperator::Greater << u"1.234,5"_s << u"COL > 1234.5"_s;
    QTest::newRow("a date equals every moment of that day")
        << FieldType::DateTime << eq << u"03/02/2014"_s
        << u"(COL >= '2014-02-03T00:00:00.000' AND COL < '2014-02-04T00:00:00.000')"_s;
    QTest::newRow("after the last day of a year starts with the next year")
        << FieldType::DateTime << QbeOperator::Greater << u"31/12/2013"_s
        << u"COL >= '2014-01-01T00:00:00.000'"_s;
    QTest::newRow("yes in Spanish is true")
        << FieldType::Boolean << eq << u"sí"_s << u"COL = TRUE"_s;

    QTest::newRow("letter O typed for a zero")
        << FieldType::Integer << eq << u"1O"_s << u"!«1O» no es un número válido para «col»"_s;
    QTest::newRow("beyond the range of a small integer")
        << FieldType::SmallInt << eq << u"40000"_s << u"!«40000» no es un número válido"_s;
    QTest::newRow("text operator on a number")
        << FieldType::Integer << QbeOperator::Contains << u"1"_s
        << u"!El operador «contiene» no se puede"_s;
    QTest::newRow("the 31st of February") << FieldType::DateTime << eq << u"31/02/2014"_s
                                          << "!«31/02/2014» no es una fecha válida para «col»; "
                                             "escríbala como dd/MM/yyyy";
    QTest::newRow("a line break inside a text value")
        << S << eq << u"a\nb"_s << u"!El valor de «col» tiene caracteres de control"_s;
}

void TstQueryText::qbeCriterion()
{
    QFETCH(FieldType, type);
    QFETCH(QbeOperator, op);
    QFETCH(QString, value);
    QFETCH(QString, sql);

    QbeConditionBuilder builder;
    builder.setUpperCase(true);
    try {
        QCOMPARE(builder.expression({{u"COL"_s, u"col"_s, type, op, value}}), sql);
    } catch (const ModuleError& e) {
        QVERIFY2(sql.startsWith('!') && e.message().startsWith(sql.mid(1)),
                 qPrintable(e.message()));
        QCOMPARE(e.kind(), ModuleError::Kind::Conversion);
    }
}

void TstQueryText::qbeConditionStartsByTag()
{
    const QList<tavrel::QbeCriterion> criteria{
        {u"COD"_s, {}, FieldType::Integer, QbeOperator::Greater, u"5"_s},
        {u"NOM"_s, {}, FieldType::String, QbeOperator::Equal, u"  "_s},
        {u"VAL"_s, {}, FieldType::Float, QbeOperator::Less, u"9"_s}};
    QbeConditionBuilder builder;
    QCOMPARE(builder.condition(criteria, 0), u" WHERE COD > 5 AND VAL < 9"_s);
    QCOMPARE(builder.condition(criteria, 1), u" AND COD > 5 AND VAL < 9"_s);
    QCOMPARE(builder.condition({criteria[1]}, 0), QString());
    QVERIFY_THROWS_EXCEPTION(
        ModuleError, builder.expression(
                         {{u"NOM; DELETE"_s, {}, FieldType::String, QbeOperator::Equal, u"x"_s}}));
}

QTEST_GUILESS_MAIN(TstQueryText)
#include "tst_querytext.moc"
