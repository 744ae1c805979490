#include "PgDriver.h"

#include "PgResult.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <libpq-fe.h>

#include <vector>

namespace tavrel {

namespace {

// Notices ("table does not exist, skipping") would go to standard error.
void ignoreNotice(void*, const char*) {}

QString firstLine(const char* message)
{
    return QString::fromUtf8(message).trimmed();
}

} // namespace

PgDriver::PgDriver(Settings settings, QObject* parent)
    : QSqlDriver(parent), m_settings(std::move(settings))
{}

PgDriver::~PgDriver()
{
    PgDriver::close();
}

bool PgDriver::hasFeature(DriverFeature feature) const
{
    switch (feature) {
    case Transactions:
    case QuerySize:
    case BLOB:
    case Unicode:
    case PreparedQueries:
    // Texts pass to the result as they are: the application numbers its parameters.
    case NamedPlaceholders:
    case LowPrecisionNumbers:
        return true;
    default:
        return false;
    }
}

bool PgDriver::open(const QString& db, const QString& user, const QString& password,
                    const QString& host, int port, const QString& options)
{
    close();
    QList<QByteArray> keys{"dbname", "user", "password", "client_encoding", "application_name"};
    QList<QByteArray> values{db.toUtf8(), user.toUtf8(), password.toUtf8(), "UTF8", "tavrel"};
    if (!host.isEmpty()) {
        keys.append("host");
        values.append(host.toUtf8());
    }
    if (port > 0) {
        keys.append("port");
        values.append(QByteArray::number(port));
    }
    for (const QString& option : options.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        keys.append(option.section(QLatin1Char('='), 0, 0).trimmed().toUtf8());
        values.append(option.section(QLatin1Char('='), 1).trimmed().toUtf8());
    }
    if (!m_settings.isEmpty()) {
        // -c name=value, with blanks and backslashes escaped by a backslash.
        QByteArray startup;
        for (const auto& [name, value] : m_settings) {
            QByteArray escaped = value.toUtf8();
            escaped.replace('\\', "\\\\").replace(' ', "\\ ");
            startup += "-c " + name.toUtf8() + '=' + escaped + ' ';
        }
        keys.append("options");
        values.append(startup.trimmed());
    }
    std::vector<const char*> k, v;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        k.push_back(keys[i].constData());
        v.push_back(values[i].constData());
    }
    k.push_back(nullptr);
    v.push_back(nullptr);
    m_connection = PQconnectdbParams(k.data(), v.data(), 0);
    if (!m_connection || PQstatus(m_connection) != CONNECTION_OK) {
        setLastError(
            QSqlError(QStringLiteral("No se pudo conectar"),
                      firstLine(m_connection ? PQerrorMessage(m_connection) : "out of memory"),
                      QSqlError::ConnectionError, QStringLiteral("08001")));
        if (m_connection) {
            PQfinish(m_connection);
            m_connection = nullptr;
        }
        setOpenError(true);
        return false;
    }
    PQsetNoticeProcessor(m_connection, ignoreNotice, nullptr);
    setOpen(true);
    setOpenError(false);
    return true;
}

bool PgDriver::sendDeferred(const char* sql)
{
    settle();
    if (!m_connection ||
        !PQsendQueryParams(m_connection, sql, 0, nullptr, nullptr, nullptr, nullptr, 0))
        return false;
    m_deferred = true;
    return true;
}

void PgDriver::settle() const
{
    if (!m_deferred)
        return;
    m_deferred = false;
    bool failed = false;
    while (PGresult* result = PQgetResult(m_connection)) {
        failed = failed || PQresultStatus(result) != PGRES_COMMAND_OK;
        PQclear(result);
    }
    if (failed) {
        PQfinish(m_connection);
        m_connection = nullptr;
    }
}

void PgDriver::close()
{
    m_deferred = false;
    if (m_connection) {
        PQfinish(m_connection);
        m_connection = nullptr;
    }
    if (isOpen()) {
        setOpen(false);
        setOpenError(false);
    }
}

QSqlResult* PgDriver::createResult() const
{
    return new PgResult(this);
}

QSqlError PgDriver::errorOf(const QString& context, const char* message, const char* state) const
{
    const bool lost = !m_connection || PQstatus(m_connection) != CONNECTION_OK;
    const QString code =
        state ? QString::fromLatin1(state) : (lost ? QStringLiteral("08006") : QString());
    return QSqlError(context, firstLine(message),
                     lost ? QSqlError::ConnectionError : QSqlError::StatementError, code);
}

bool PgDriver::command(const char* sql, const QString& context)
{
    settle();
    if (!m_connection) {
        setLastError(errorOf(context, "no connection to the server", nullptr));
        return false;
    }
    PGresult* result = PQexecParams(m_connection, sql, 0, nullptr, nullptr, nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(result);
    // A COMMIT of a transaction that failed answers ROLLBACK.
    const bool ok = status == PGRES_COMMAND_OK && qstrcmp(PQcmdStatus(result), "ROLLBACK") != 0;
    if (!ok) {
        setLastError(status == PGRES_COMMAND_OK
                         ? QSqlError(context, QStringLiteral("la transacción se anuló"),
                                     QSqlError::TransactionError, QStringLiteral("40000"))
                         : errorOf(context, PQresultErrorMessage(result),
                                   PQresultErrorField(result, PG_DIAG_SQLSTATE)));
    }
    PQclear(result);
    return ok;
}

bool PgDriver::beginTransaction()
{
    return command("BEGIN", QStringLiteral("No se pudo iniciar la transacción"));
}

bool PgDriver::commitTransaction()
{
    return command("COMMIT", QStringLiteral("No se pudo confirmar la transacción"));
}

bool PgDriver::rollbackTransaction()
{
    return command("ROLLBACK", QStringLiteral("No se pudo deshacer la transacción"));
}

QStringList PgDriver::tables(QSql::TableType type) const
{
    QStringList names;
    if (!isOpen() || !(type & QSql::Tables))
        return names;
    QSqlQuery query(createResult());
    if (query.exec(QStringLiteral("SELECT tablename FROM pg_tables WHERE schemaname = "
                                  "current_schema() ORDER BY 1"))) {
        while (query.next())
            names.append(query.value(0).toString());
    }
    return names;
}

QString PgDriver::escapeIdentifier(const QString& identifier, IdentifierType) const
{
    if (identifier.startsWith(QLatin1Char('"')) && identifier.endsWith(QLatin1Char('"')))
        return identifier;
    return QLatin1Char('"') + QString(identifier).replace(u'"', QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

QVariant PgDriver::handle() const
{
    return QVariant::fromValue(static_cast<void*>(m_connection));
}

} // namespace tavrel
