#pragma once

#include <QByteArrayView>
#include <QVariant>

#include <memory>

class QSqlQuery;
struct sqlite3_stmt;

namespace tavrel {

// The rows of an executed QSQLITE query read straight from its SQLite statement. The
// driver copies every row into a cache of variants and every text into UTF-16 before
// the caller sees it; reading the statement leaves the text in SQLite's UTF-8, so that
// a reader can recognise a text it has seen before without making a string of it.
class SqliteRows
{
public:
    // Null when the query does not run on a SQLite statement. The query must be active
    // and not moved yet; from here on the rows are read through this object only.
    static std::unique_ptr<SqliteRows> of(QSqlQuery& query);
    ~SqliteRows();

    // Moves to the next row; false after the last. A failed step is thrown as
    // ModuleError with SQLite's message.
    bool next();

    bool isNull(int column) const;
    bool isText(int column) const;
    bool isInteger(int column) const;
    bool isReal(int column) const;
    // The UTF-8 bytes of a text value, valid until the next call of next().
    QByteArrayView text(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    // The value as the driver would give it: qlonglong, double, QString or QByteArray.
    QVariant value(int column) const;

private:
    SqliteRows(QSqlQuery& query, sqlite3_stmt* statement);
    QSqlQuery& m_query;
    sqlite3_stmt* m_statement;
    bool m_first = true; // the driver has stepped to the first row already
};

} // namespace tavrel
