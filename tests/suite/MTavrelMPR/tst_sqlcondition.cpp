#include "ModuleError.h"
#include "SqlCondition.h"

#include <QTest>

using tavrel::SqlCondition;

class TstSqlCondition : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void append_data();
    void append();
    void compoundQueriesAreRefused();
};

void TstSqlCondition::append_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a text without WHERE gets one before its line break")
        << "SELECT * FROM NM_RPCOS\n"
        << "COD_EMPR = 2"
        << "SELECT * FROM NM_RPCOS WHERE COD_EMPR = 2\n";
    QTest::newRow("an existing OR keeps its meaning inside parentheses")
        << "SELECT * FROM T WHERE A = 1 OR B = 2"
        << "C = 3"
        << "SELECT * FROM T WHERE (A = 1 OR B = 2) AND (C = 3)";
    QTest::newRow("the condition goes before ORDER BY") << "SELECT * FROM T ORDER BY A"
                                                        << "C = 3"
                                                        << "SELECT * FROM T WHERE C = 3 ORDER BY A";
    QTest::newRow("and before GROUP BY after an existing WHERE")
        << "SELECT A, COUNT(*) FROM T WHERE B > 0 GROUP BY A"
        << "C = 3"
        << "SELECT A, COUNT(*) FROM T WHERE (B > 0) AND (C = 3) GROUP BY A";
    QTest::newRow("a WHERE inside a subquery is not the main one")
        << "SELECT * FROM T WHERE X IN (SELECT X FROM U WHERE Y = 1) ORDER BY X"
        << "C = 3"
        << "SELECT * FROM T WHERE (X IN (SELECT X FROM U WHERE Y = 1)) AND (C = 3) ORDER BY X";
    QTest::newRow("words in quotes and comments are text")
        << "SELECT 'WHERE x ORDER BY' AS W FROM T -- WHERE\n"
        << "C = 3"
        << "SELECT 'WHERE x ORDER BY' AS W FROM T WHERE C = 3 -- WHERE\n";
    QTest::newRow("a line comment inside the existing condition keeps its line break")
        << "SELECT * FROM T WHERE A = 1 -- primero\n  OR B = 2 /* fin */\nORDER BY A"
        << "C = 3"
        << "SELECT * FROM T WHERE (A = 1 -- primero\n  OR B = 2) AND (C = 3) /* fin */\nORDER BY A";
    QTest::newRow("a typed condition may start with WHERE") << "SELECT * FROM T"
                                                            << " WHERE 1=0"
                                                            << "SELECT * FROM T WHERE 1=0";
    QTest::newRow("an OR added alone is enclosed for whoever adds next")
        << "SELECT * FROM T"
        << "A = 1 OR B = 2"
        << "SELECT * FROM T WHERE (A = 1 OR B = 2)";
    QTest::newRow("a blank condition changes nothing") << "SELECT * FROM T\n"
                                                       << "  "
                                                       << "SELECT * FROM T\n";
    QTest::newRow("lower-case keywords are keywords")
        << "select * from t where a = 1 order by a"
        << "b = 2"
        << "select * from t WHERE (a = 1) AND (b = 2) order by a";
}

void TstSqlCondition::append()
{
    QFETCH(QString, sql);
    QFETCH(QString, condition);
    QFETCH(QString, expected);
    QCOMPARE(SqlCondition::append(sql, condition), expected);
}

void TstSqlCondition::compoundQueriesAreRefused()
{
    try {
        SqlCondition::append(QStringLiteral("SELECT A FROM T GROUP BY A UNION SELECT A FROM U"),
                             QStringLiteral("A = 1"));
        QFAIL("a compound query took the condition");
    } catch (const tavrel::ModuleError& e) {
        QVERIFY2(e.message().contains(QLatin1String("UNION")), qPrintable(e.message()));
    }
}

QTEST_APPLESS_MAIN(TstSqlCondition)
#include "tst_sqlcondition.moc"
