#include "PgResult.h"

#include "PgDriver.h"
#include "PgValues.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>

#include <libpq-fe.h>

#include <vector>

namespace tavrel {

PgResult::PgResult(const PgDriver* driver) : QSqlResult(driver), m_driver(driver) {}

PgResult::~PgResult()
{
    clear();
}

void PgResult::clear()
{
    if (m_result) {
        PQclear(m_result);
        m_result = nullptr;
    }
    m_rows = 0;
    setActive(false);
    setAt(QSql::BeforeFirstRow);
}

bool PgResult::reset(const QString& sql)
{
    return run(sql, {});
}

bool PgResult::prepare(const QString& sql)
{
    clear();
    m_sql = sql;
    return true;
}

bool PgResult::exec()
{
    return run(m_sql, boundValues());
}

bool PgResult::run(const QString& sql, const QList<QVariant>& values)
{
    clear();
    pg_conn* connection = m_driver->connection();
    if (!connection) {
        setLastError(QSqlError(QStringLiteral("No se pudo ejecutar la sentencia"),
                               QStringLiteral("no connection to the server"),
                               QSqlError::ConnectionError, QStringLiteral("08003")));
        return false;
    }
    std::vector<PgValues::Parameter> parameters;
    parameters.reserve(size_t(values.size()));
    std::vector<Oid> types;
    std::vector<const char*> texts;
    std::vector<int> lengths, formats;
    for (const QVariant& value : values) {
        parameters.push_back(PgValues::parameter(value));
        const PgValues::Parameter& p = parameters.back();
        // Text parameters end at their first NUL, which PostgreSQL's text cannot hold.
        if (!p.null && !p.binary && p.bytes.contains('\0')) {
            setLastError(QSqlError(QStringLiteral("No se pudo ejecutar la sentencia"),
                                   QStringLiteral("un texto contiene el carácter nulo (0x00), "
                                                  "que la base de datos no admite"),
                                   QSqlError::StatementError, QStringLiteral("22021")));
            return false;
        }
        types.push_back(p.oid);
        texts.push_back(p.null ? nullptr : p.bytes.constData());
        lengths.push_back(int(p.bytes.size()));
        formats.push_back(p.binary ? 1 : 0);
    }
    const QByteArray text = sql.toUtf8();
    m_result = PQexecParams(connection, text.constData(), int(parameters.size()), types.data(),
                            texts.data(), lengths.data(), formats.data(), 0);
    switch (PQresultStatus(m_result)) {
    case PGRES_TUPLES_OK:
        m_rows = PQntuples(m_result);
        setSelect(true);
        setActive(true);
        return true;
    case PGRES_COMMAND_OK:
        setSelect(false);
        setActive(true);
        return true;
    default:
        setLastError(m_driver->errorOf(
            QStringLiteral("No se pudo ejecutar la sentencia"),
            m_result ? PQresultErrorMessage(m_result) : PQerrorMessage(connection),
            m_result ? PQresultErrorField(m_result, PG_DIAG_SQLSTATE) : nullptr));
        if (m_result) {
            PQclear(m_result);
            m_result = nullptr;
        }
        return false;
    }
}

bool PgResult::fetch(int row)
{
    if (!isActive() || !isSelect() || row < 0 || row >= m_rows)
        return false;
    setAt(row);
    return true;
}

bool PgResult::fetchFirst()
{
    return fetch(0);
}

bool PgResult::fetchLast()
{
    return fetch(m_rows - 1);
}

QVariant PgResult::data(int column)
{
    if (!m_result || at() < 0 || column < 0 || column >= PQnfields(m_result))
        return QVariant();
    const Oid type = PQftype(m_result, column);
    if (PQgetisnull(m_result, at(), column))
        return QVariant(PgValues::metaTypeOf(type));
    return PgValues::read(type, PQgetvalue(m_result, at(), column),
                          PQgetlength(m_result, at(), column), numericalPrecisionPolicy());
}

bool PgResult::isNull(int column)
{
    return !m_result || at() < 0 || PQgetisnull(m_result, at(), column);
}

int PgResult::size()
{
    return isSelect() ? m_rows : -1;
}

int PgResult::numRowsAffected()
{
    return m_result ? QByteArray(PQcmdTuples(m_result)).toInt() : -1;
}

QSqlRecord PgResult::record() const
{
    QSqlRecord record;
    if (!m_result || !isSelect())
        return record;
    for (int i = 0; i < PQnfields(m_result); ++i) {
        QSqlField field(QString::fromUtf8(PQfname(m_result, i)),
                        PgValues::metaTypeOf(PQftype(m_result, i)));
        record.append(field);
    }
    return record;
}

QVariant PgResult::handle() const
{
    return QVariant::fromValue(static_cast<void*>(m_result));
}

} // namespace tavrel
