// Criteria typed into the query-by-example window turned into SQL.

#include "ModuleError.h"
#include "QbeConditionBuilder.h"

#include <QTest>

using tavrel::FieldType;
using tavrel::ModuleError;
using tavrel::QbeConditionBuilder;
using tavrel::QbeCriterion;
using tavrel::QbeOperator;

Q_DECLARE_METATYPE(FieldType)
Q_DECLARE_METATYPE(QbeOperator)

namespace {
QbeCriterion criterion(const QString& field, FieldType type, QbeOperator op, const QString& value)
{
    return {field, field.toLower(), type, op, value};
}
} // namespace

class TstQbeConditionBuilder : public QObject
{
    Q_OBJECT

private slots:
    void criterionSql_data();
    void criterionSql();
    void refused_data();
    void refused();
    void conditionStartsByTag();
    void composeQuery_data();
    void composeQuery();
};

void TstQbeConditionBuilder::criterionSql_data()
{
    QTest::addColumn<FieldType>("type");
    QTest::addColumn<QbeOperator>("op");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("upperCase");
    QTest::addColumn<QString>("sql");

    const auto S = FieldType::String;
    QTest::newRow("quote inside a name is doubled")
        << S << QbeOperator::Equal << "O'Brien" << false << "COL = 'O''Brien'";
    QTest::newRow("an injection attempt stays one literal")
        << S << QbeOperator::Equal << "x' OR '1'='1" << false << "COL = 'x'' OR ''1''=''1'";
    QTest::newRow("upper case compares the upper-cased column with the typed value upper-cased")
        << S << QbeOperator::Equal << "sueldo" << true << "UPPER(COL) = 'SUELDO'";
    QTest::newRow("upper-casing keeps the accents as capitals")
        << S << QbeOperator::Contains << "bonificación" << true
        << "UPPER(COL) LIKE '%BONIFICACIÓN%' ESCAPE '!'";
    QTest::newRow("percent and underscore are searched for literally")
        << S << QbeOperator::Contains << "50%_x" << false << "COL LIKE '%50!%!_x%' ESCAPE '!'";
    QTest::newRow("the escape character itself is doubled")
        << S << QbeOperator::StartsWith << "a!b" << false << "COL LIKE 'a!!b%' ESCAPE '!'";
    QTest::newRow("surrounding blanks are not part of the value")
        << FieldType::FixedChar << QbeOperator::NotEqual << "  01 " << false << "COL <> '01'";
    QTest::newRow("integers as numbers without quotes")
        << FieldType::SmallInt << QbeOperator::GreaterOrEqual << " 40 " << true << "COL >= 40";
    QTest::newRow("Colombian thousands and decimal separators")
        << FieldType::Float << QbeOperator::Greater << "1.234,5" << false << "COL > 1234.5";
    QTest::newRow("decimal point gives the shortest exact literal")
        << FieldType::Float << QbeOperator::LessOrEqual << "0.1" << false << "COL <= 0.1";
    QTest::newRow("a date equals every moment of that day")
        << FieldType::DateTime << QbeOperator::Equal << "03/02/2014" << false
        << "(COL >= '2014-02-03T00:00:00.000' AND COL < '2014-02-04T00:00:00.000')";
    QTest::newRow("different from a date excludes the whole day")
        << FieldType::DateTime << QbeOperator::NotEqual << "03/02/2014" << false
        << "(COL < '2014-02-03T00:00:00.000' OR COL >= '2014-02-04T00:00:00.000')";
    QTest::newRow("after the last day of a year starts with the next year")
        << FieldType::DateTime << QbeOperator::Greater << "31/12/2013" << false
        << "COL >= '2014-01-01T00:00:00.000'";
    QTest::newRow("up to a day includes its last minute")
        << FieldType::DateTime << QbeOperator::LessOrEqual << "31/12/2013" << false
        << "COL < '2014-01-01T00:00:00.000'";
    QTest::newRow("before a day ends at its midnight")
        << FieldType::DateTime << QbeOperator::Less << "2014-02-03" << false
        << "COL < '2014-02-03T00:00:00.000'";
    QTest::newRow("yes in Spanish is true")
        << FieldType::Boolean << QbeOperator::Equal << "sí" << false << "COL = TRUE";
}

void TstQbeConditionBuilder::criterionSql()
{
    QFETCH(FieldType, type);
    QFETCH(QbeOperator, op);
    QFETCH(QString, value);
    QFETCH(bool, upperCase);
    QFETCH(QString, sql);

    QbeConditionBuilder builder;
    builder.setUpperCase(upperCase);
    QCOMPARE(builder.expression({criterion(QStringLiteral("COL"), type, op, value)}), sql);
}

void TstQbeConditionBuilder::refused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<FieldType>("type");
    QTest::addColumn<QbeOperator>("op");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");

    const auto eq = QbeOperator::Equal;
    QTest::newRow("letter O typed for a zero") << "COD" << FieldType::Integer << eq << "1O"
                                               << "«1O» no es un número válido para «cod»";
    QTest::newRow("beyond the range of a small integer")
        << "COD" << FieldType::SmallInt << eq << "40000"
        << "fuera del rango";
    QTest::newRow("decimals in an integer field") << "COD" << FieldType::Integer << eq << "1,5"
                                                  << "no es un número válido";
    QTest::newRow("text operator on a number")
        << "COD" << FieldType::Integer << QbeOperator::Contains << "1"
        << "El operador «contiene» no se puede usar con «cod»";
    QTest::newRow("text operator on a date")
        << "FEC" << FieldType::DateTime << QbeOperator::StartsWith << "03/02/2014"
        << "El operador «empieza por» no se puede usar";
    QTest::newRow("the 31st of February")
        << "FEC" << FieldType::DateTime << eq << "31/02/2014"
        << "«31/02/2014» no es una fecha válida para «fec»; escríbala como dd/MM/yyyy";
    QTest::newRow("date written year first with slashes")
        << "FEC" << FieldType::DateTime << eq << "2014/02/03"
        << "no es una fecha válida";
    QTest::newRow("a line break inside a text value") << "NOM" << FieldType::String << eq << "a\nb"
                                                      << "caracteres de control";
    QTest::newRow("a column name carrying SQL") << "NOM; DELETE" << FieldType::String << eq << "x"
                                                << "no es un nombre de columna";
    QTest::newRow("a flag that is neither yes nor no")
        << "ACT" << FieldType::Boolean << eq << "quizá"
        << "escriba S o N";
}

void TstQbeConditionBuilder::refused()
{
    QFETCH(QString, field);
    QFETCH(FieldType, type);
    QFETCH(QbeOperator, op);
    QFETCH(QString, value);
    QFETCH(QString, message);

    try {
        QbeConditionBuilder().expression({criterion(field, type, op, value)});
        QFAIL("the criterion was accepted");
    } catch (const ModuleError& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        QCOMPARE(e.kind(), ModuleError::Kind::Conversion);
    }
}

void TstQbeConditionBuilder::conditionStartsByTag()
{
    const QList<QbeCriterion> criteria{
        criterion(QStringLiteral("COD"), FieldType::Integer, QbeOperator::Greater,
                  QStringLiteral("5")),
        criterion(QStringLiteral("NOM"), FieldType::String, QbeOperator::Equal,
                  QStringLiteral("  ")),
        criterion(QStringLiteral("VAL"), FieldType::Float, QbeOperator::Less, QStringLiteral("9"))};
    QbeConditionBuilder builder;
    QCOMPARE(builder.condition(criteria, 0), QStringLiteral(" WHERE COD > 5 AND VAL < 9"));
    QCOMPARE(builder.condition(criteria, 1), QStringLiteral(" AND COD > 5 AND VAL < 9"));
    QCOMPARE(builder.condition({criteria[1]}, 0), QString());
}

void TstQbeConditionBuilder::composeQuery_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("baseCondition");
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("query");

    QTest::newRow("without restriction the condition is appended as it is")
        << "SELECT * FROM T\n"
        << "" << 0 << " WHERE 1=0"
        << "SELECT * FROM T\n WHERE 1=0";
    QTest::newRow("restriction alone") << "SELECT * FROM T"
                                       << "COD_EMPR = 2" << 0 << ""
                                       << "SELECT * FROM T WHERE (COD_EMPR = 2)";
    QTest::newRow("typed WHERE becomes AND after the restriction")
        << "SELECT * FROM T"
        << "COD_EMPR = 2" << 0 << " WHERE A = 1"
        << "SELECT * FROM T WHERE (COD_EMPR = 2) AND A = 1";
    QTest::newRow("lower-case where is recognised too")
        << "SELECT * FROM T"
        << "where COD_EMPR = 2" << 0 << "\nwhere A = 1"
        << "SELECT * FROM T WHERE (COD_EMPR = 2) AND A = 1";
    QTest::newRow("base with its own WHERE gets the restriction with AND")
        << "SELECT * FROM T WHERE X = 1"
        << "COD_EMPR = 2" << 1 << " AND A = 1"
        << "SELECT * FROM T WHERE X = 1 AND (COD_EMPR = 2) AND A = 1";
    QTest::newRow("an ordering that follows the restriction")
        << "SELECT * FROM T"
        << "C = 1" << 0 << " ORDER BY NOM"
        << "SELECT * FROM T WHERE (C = 1) ORDER BY NOM";
}

void TstQbeConditionBuilder::composeQuery()
{
    QFETCH(QString, base);
    QFETCH(QString, baseCondition);
    QFETCH(int, tag);
    QFETCH(QString, condition);
    QFETCH(QString, query);
    QCOMPARE(QbeConditionBuilder::composeQuery(base, baseCondition, tag, condition), query);
}

QTEST_GUILESS_MAIN(TstQbeConditionBuilder)
#include "tst_qbeconditionbuilder.moc"
