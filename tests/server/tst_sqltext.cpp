#include "SqlText.h"

#include <QTest>

using tavrel::SqlText;

class TstSqlText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void markers_data();
    void markers();
    void singleSelect_data();
    void singleSelect();
};

void TstSqlText::markers_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("distinct");
    QTest::addColumn<QString>("positional");

    QTest::newRow("repeated marker binds once, in order of first appearance")
        << "UPDATE T SET A = :b WHERE C = :a AND D = :b" << QStringList{"b", "a"}
        << "UPDATE T SET A = ? WHERE C = ? AND D = ?";
    QTest::newRow("same name in other case is the same parameter")
        << "SELECT :P_COD_EMPR, :p_cod_empr" << QStringList{"P_COD_EMPR"} << "SELECT ?, ?";
    QTest::newRow("colon inside a string literal is text")
        << "SELECT 'a:b' || ':x' FROM T WHERE C = :c" << QStringList{"c"}
        << "SELECT 'a:b' || ':x' FROM T WHERE C = ?";
    QTest::newRow("doubled quote does not end the literal")
        << "SELECT 'it''s :not' FROM T WHERE C = :c" << QStringList{"c"}
        << "SELECT 'it''s :not' FROM T WHERE C = ?";
    QTest::newRow("quoted identifier and comments hide markers")
        << "SELECT \"a:b\" -- :c\n FROM T /* :d */ WHERE E = :e" << QStringList{"e"}
        << "SELECT \"a:b\" -- :c\n FROM T /* :d */ WHERE E = ?";
    QTest::newRow("PostgreSQL cast is no marker")
        << "SELECT X::int FROM T WHERE Y = :y" << QStringList{"y"}
        << "SELECT X::int FROM T WHERE Y = ?";
    QTest::newRow("time text with colon followed by digit")
        << "SELECT '10:30', 10 :5" << QStringList{} << "SELECT '10:30', 10 :5";
    QTest::newRow("marker at the very end, no blank after it")
        << "WHERE COD_EMPR = :codempr" << QStringList{"codempr"} << "WHERE COD_EMPR = ?";
}

void TstSqlText::markers()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, distinct);
    QFETCH(QString, positional);
    const SqlText::Markers m = SqlText::parseMarkers(sql);
    QCOMPARE(m.distinct, distinct);
    QCOMPARE(m.positionalText, positional);
    QCOMPARE(m.occurrences.size(), positional.count(QLatin1Char('?')));
}

void TstSqlText::singleSelect_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("expected");

    const int ok = int(SqlText::ReadCheck::SingleSelect);
    const int notSelect = int(SqlText::ReadCheck::NotSelect);
    const int several = int(SqlText::ReadCheck::Several);
    const int empty = int(SqlText::ReadCheck::Empty);

    QTest::newRow("dataset text with trailing line break") << "SELECT * FROM NM_RPCOS\n" << ok;
    QTest::newRow("leading blank and lower case") << " select cod_empr from nm_tnomi" << ok;
    QTest::newRow("one trailing semicolon is allowed") << "SELECT 1 ;  " << ok;
    QTest::newRow("semicolon inside a literal is text") << "SELECT ';DELETE FROM T' FROM T" << ok;
    QTest::newRow("comment before the statement") << "-- lista\nSELECT 1" << ok;
    QTest::newRow("parenthesised union") << "(SELECT 1) UNION (SELECT 2)" << ok;
    QTest::newRow("common table expression ending in SELECT")
        << "WITH X AS (SELECT 1 A), Y (B) AS (SELECT 2) SELECT * FROM X, Y" << ok;
    QTest::newRow("CTE whose statement deletes")
        << "WITH X AS (SELECT 1 A) DELETE FROM T WHERE A IN (SELECT A FROM X)" << notSelect;
    QTest::newRow("data change") << "DELETE FROM NM_RPCOS" << notSelect;
    QTest::newRow("update disguised by a comment")
        << "/* SELECT */ UPDATE T SET A = 1" << notSelect;
    QTest::newRow("select followed by a second statement")
        << "SELECT 1; DELETE FROM NM_RPCOS" << several;
    QTest::newRow("two semicolons at the end") << "SELECT 1;;" << ok;
    QTest::newRow("only blanks and comments") << "  -- nada\n " << empty;
    // Quotes one engine has and the other lacks must not hide a statement from either.
    QTest::newRow("PostgreSQL E string: \\' escapes, the '' after it closes")
        << "SELECT E'\\''; DELETE FROM T; --'" << several;
    QTest::newRow("PostgreSQL dollar quote holding a quote")
        << "SELECT $$'$$; DELETE FROM T; --'" << several;
    QTest::newRow("PostgreSQL nested comment ends at its own */")
        << "SELECT 1 /* /* */ ' */ ; DELETE FROM T; -- '" << several;
    QTest::newRow("SQLite bracketed name holding a quote")
        << "SELECT [a'] ; DELETE FROM T; --']" << several;
    QTest::newRow("escapes, dollar quotes and brackets with no semicolon in them")
        << "SELECT E'it\\'s', $$a$$, [b c] FROM T" << ok;
    QTest::newRow("a word ending in E and a parameter $1 quote nothing")
        << "SELECT NOMBRE'' , $1 FROM T" << ok;
}

void TstSqlText::singleSelect()
{
    QFETCH(QString, sql);
    QFETCH(int, expected);
    QCOMPARE(int(SqlText::checkSingleSelect(sql)), expected);
}

QTEST_GUILESS_MAIN(TstSqlText)
#include "tst_sqltext.moc"
