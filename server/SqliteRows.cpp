#include "SqliteRows.h"

#include "ModuleError.h"

#include <QSqlQuery>
#include <QSqlResult>

#include <sqlite3.h>

namespace tavrel {

std::unique_ptr<SqliteRows> SqliteRows::of(QSqlQuery& query)
{
    const QSqlResult* result = query.result();
    if (!result || !query.isActive() || !query.isSelect() || query.at() != QSql::BeforeFirstRow)
        return nullptr;
    const QVariant handle = result->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3_stmt*") != 0)
        return nullptr;
    sqlite3_stmt* statement = *static_cast<sqlite3_stmt* const*>(handle.constData());
    if (!statement)
        return nullptr;
    return std::unique_ptr<SqliteRows>(new SqliteRows(query, statement));
}

SqliteRows::SqliteRows(QSqlQuery& query, sqlite3_stmt* statement)
    : m_query(query), m_statement(statement)
{}

SqliteRows::~SqliteRows() = default;

bool SqliteRows::next()
{
    if (m_first) {
        // Executing the query stepped the statement once: the statement stands on the
        // first row, if there is one, and the driver says whether there is.
        m_first = false;
        return m_query.next();
    }
    switch (sqlite3_step(m_statement)) {
    case SQLITE_ROW:
        return true;
    case SQLITE_DONE:
        return false;
    default:
        throw ModuleError(QStringLiteral("No se pudieron leer las filas de la consulta: %1")
                              .arg(QString::fromUtf8(
                                  sqlite3_errmsg(sqlite3_db_handle(m_statement)))),
                          ModuleError::Kind::Server);
    }
}

bool SqliteRows::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

bool SqliteRows::isText(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_TEXT;
}

bool SqliteRows::isInteger(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_INTEGER;
}

bool SqliteRows::isReal(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_FLOAT;
}

QByteArrayView SqliteRows::text(int column) const
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return QByteArrayView(bytes, sqlite3_column_bytes(m_statement, column));
}

qint64 SqliteRows::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

double SqliteRows::real(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

QVariant SqliteRows::value(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(m_statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(m_statement, column);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(m_statement, column)),
                          sqlite3_column_bytes(m_statement, column));
    default:
        return QString::fromUtf8(text(column));
    }
}

} // namespace tavrel
