#include "NetworkAccess.h"

#include "Database.h"
#include "ModuleError.h"

#include <QRandomGenerator>
#include <QUrl>

namespace tavrel {

namespace {

QString newPassword()
{
    QByteArray bytes(18, Qt::Uninitialized);
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding));
}

QString urlFor(const DatabaseLocation& at, const QString& role, const QString& password)
{
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    url.setHost(at.host);
    url.setPort(at.port);
    url.setUserName(role);
    url.setPassword(password);
    url.setPath(QLatin1Char('/') + at.databaseName);
    return url.toString();
}

// Names are made from the database's own name, which PostgreSQL already accepted; quoted
// all the same.
QString quoted(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(u'"', QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

void createRole(Database& db, const QString& role, const QString& password)
{
    const bool exists =
        db.queryValue(QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = :R"), {role})
            .isValid();
    // Passwords cannot be bound as parameters in role statements; they are made of
    // base 64 characters only. A role made here keeps its attributes when refreshed
    // (only a superuser may restate them).
    if (exists)
        db.exec(QStringLiteral("ALTER ROLE %1 LOGIN PASSWORD '%2'").arg(quoted(role), password));
    else
        db.exec(QStringLiteral("CREATE ROLE %1 LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE "
                               "NOBYPASSRLS PASSWORD '%2'")
                    .arg(quoted(role), password));
}

} // namespace

const QList<NetworkAccess::Function>& NetworkAccess::functions()
{
    // Both run in every read (the policies call the first once per table the read names).
    // In PL/pgSQL their statements are planned once per connection; a security-definer
    // SQL function is planned again at each call. The hash is compared as the column's
    // own type, so that the session's key finds it.
    static const QList<Function> list{
        {QStringLiteral("tavrel_empresas()"),
         QStringLiteral("tavrel_empresas() RETURNS SETOF smallint LANGUAGE plpgsql STABLE "
                        "SECURITY DEFINER ROWS 10 SET search_path = public, pg_temp"),
         QStringLiteral(" BEGIN RETURN QUERY SELECT U.COD_EMPR FROM TVL_SESION S JOIN GN_UEMPR U "
                        "ON UPPER(U.COD_USUA) = S.COD_USUA WHERE S.HSH_SESI = CAST(encode(sha256("
                        "convert_to(COALESCE(current_setting('tavrel.sesion', true), ''), "
                        "'UTF8')), 'hex') AS CHAR(64)); END ")},
        {QStringLiteral("tavrel_sesion(text)"),
         QStringLiteral("tavrel_sesion(token text) RETURNS TABLE (COD_USUA text, FEC_USO "
                        "timestamp) LANGUAGE plpgsql STABLE SECURITY DEFINER ROWS 1 SET "
                        "search_path = public, pg_temp"),
         QStringLiteral(" BEGIN RETURN QUERY SELECT S.COD_USUA::text, S.FEC_USO FROM TVL_SESION S "
                        "WHERE S.HSH_SESI = CAST(encode(sha256(convert_to(token, 'UTF8')), "
                        "'hex') AS CHAR(64)); END ")},
    };
    return list;
}

NetworkAccess::Logins NetworkAccess::install(Database& db)
{
    if (!db.isPostgres())
        throw ModuleError(QStringLiteral("El servidor de red sirve bases PostgreSQL; %1 no lo es")
                              .arg(db.location().serverName()));
    const QString base = db.location().databaseName;
    const QString server = base + QStringLiteral("_servidor");
    const QString reader = base + QStringLiteral("_lector");
    const QString serverPassword = newPassword();
    const QString readerPassword = newPassword();
    db.transaction([&] {
        for (const Function& function : functions()) {
            db.exec(QStringLiteral("CREATE OR REPLACE FUNCTION %1 AS $$%2$$")
                        .arg(function.declaration, function.body));
            db.exec(
                QStringLiteral("REVOKE ALL ON FUNCTION %1 FROM PUBLIC").arg(function.signature));
        }
        QSqlQuery tables = db.exec(
            QStringLiteral("SELECT c.table_name FROM information_schema.columns c "
                           "JOIN information_schema.tables t USING (table_schema, table_name) "
                           "WHERE c.table_schema = current_schema() AND c.column_name = 'cod_empr' "
                           "AND t.table_type = 'BASE TABLE' ORDER BY 1"));
        QStringList keyed;
        while (tables.next())
            keyed.append(quoted(tables.value(0).toString()));
        for (const QString& table : keyed) {
            db.exec(QStringLiteral("ALTER TABLE %1 ENABLE ROW LEVEL SECURITY").arg(table));
            db.exec(QStringLiteral("DROP POLICY IF EXISTS tavrel_empresa ON %1").arg(table));
            db.exec(QStringLiteral("CREATE POLICY tavrel_empresa ON %1 "
                                   "USING (COD_EMPR IN (SELECT tavrel_empresas())) "
                                   "WITH CHECK (COD_EMPR IN (SELECT tavrel_empresas()))")
                        .arg(table));
        }
        createRole(db, server, serverPassword);
        createRole(db, reader, readerPassword);
        for (const QString& role : {quoted(server), quoted(reader)}) {
            db.exec(QStringLiteral("REVOKE ALL ON ALL TABLES IN SCHEMA public FROM %1").arg(role));
            db.exec(QStringLiteral("GRANT USAGE ON SCHEMA public TO %1").arg(role));
            db.exec(QStringLiteral("GRANT EXECUTE ON FUNCTION tavrel_empresas() TO %1").arg(role));
            db.exec(
                QStringLiteral("GRANT EXECUTE ON FUNCTION tavrel_sesion(text) TO %1").arg(role));
        }
        db.exec(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA "
                               "public TO %1")
                    .arg(quoted(server)));
        db.exec(QStringLiteral("GRANT USAGE ON ALL SEQUENCES IN SCHEMA public TO %1")
                    .arg(quoted(server)));
        db.exec(QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO %1")
                    .arg(quoted(reader)));
        db.exec(QStringLiteral("REVOKE SELECT ON GN_USUAR, TVL_SESION, TVL_INTENTO, "
                               "TVL_HISTORIA FROM %1")
                    .arg(quoted(reader)));
        // The change history is written by the server only, and never erased.
        db.exec(
            QStringLiteral("REVOKE DELETE, TRUNCATE ON TVL_HISTORIA FROM %1").arg(quoted(server)));
        // An archived year is kept as it was archived.
        db.exec(QStringLiteral("REVOKE UPDATE, DELETE, TRUNCATE ON NM_RPARC FROM %1")
                    .arg(quoted(server)));
        // Desks only add to the change log.
        db.exec(QStringLiteral("REVOKE UPDATE, DELETE, TRUNCATE ON GN_LOGCM FROM %1")
                    .arg(quoted(server)));
        db.exec(QStringLiteral("GRANT SELECT (TVL_ROWID, COD_USUA, NOM_USUA, TIP_USUA) ON GN_USUAR "
                               "TO %1")
                    .arg(quoted(reader)));
        // Temporary objects would outlive a read on a connection that serves many desks,
        // and could stand in for tables in the next desk's read.
        for (const QString& role : {QStringLiteral("PUBLIC"), quoted(server), quoted(reader)})
            db.exec(
                QStringLiteral("REVOKE TEMPORARY ON DATABASE %1 FROM %2").arg(quoted(base), role));
    });
    return {urlFor(db.location(), server, serverPassword),
            urlFor(db.location(), reader, readerPassword)};
}

void NetworkAccess::requireRestricted(Database& db, Role role)
{
    // Every answer of the query is a reason to refuse the role; the reader's come last.
    QSqlQuery q = db.exec(
        QStringLiteral("SELECT r.rolsuper OR r.rolbypassrls, "
                       "EXISTS (SELECT 1 FROM pg_tables WHERE schemaname = current_schema() "
                       "AND tableowner = current_user), "
                       "to_regprocedure('tavrel_sesion(text)') IS NULL, "
                       "has_database_privilege(current_database(), 'TEMPORARY'), "
                       "(SELECT string_agg(c.relname, ', ' ORDER BY c.relname) FROM pg_class c "
                       " JOIN pg_attribute a ON a.attrelid = c.oid AND a.attname = 'cod_empr' AND "
                       "NOT a.attisdropped "
                       " WHERE c.relnamespace = current_schema()::regnamespace AND c.relkind = 'r' "
                       " AND NOT c.relrowsecurity), "
                       "has_column_privilege('gn_usuar', 'cla_usua', 'SELECT') "
                       "OR has_table_privilege('tvl_sesion', 'SELECT') "
                       "OR has_table_privilege('tvl_intento', 'SELECT') "
                       "OR has_table_privilege('tvl_historia', 'SELECT'), "
                       "(SELECT string_agg(tablename, ', ' ORDER BY tablename) FROM pg_tables "
                       " WHERE schemaname = current_schema() "
                       " AND has_table_privilege(format('%I.%I', schemaname, tablename), "
                       "                         'INSERT, UPDATE, DELETE, TRUNCATE')) "
                       "FROM pg_roles r WHERE r.rolname = current_user"));
    if (q.next() && q.value(2).toBool()) {
        throw ModuleError(QStringLiteral("La base de datos %1 no tiene la función tavrel_sesion "
                                         "de esta versión; ejecute de nuevo «tavrel-server "
                                         "--install-roles» con el dueño de las tablas")
                              .arg(db.location().databaseName),
                          ModuleError::Kind::Connection);
    }
    if (!q.isValid() || q.value(0).toBool() || q.value(1).toBool()) {
        throw ModuleError(QStringLiteral("El rol %1 es dueño de las tablas o pasa por encima de "
                                         "la seguridad por filas; el servidor de red usa los roles "
                                         "que crea «tavrel-server --install-roles»")
                              .arg(db.location().user),
                          ModuleError::Kind::Connection);
    }
    const QString reinstall = QStringLiteral(
        "; ejecute de nuevo «tavrel-server --install-roles» con el dueño de las tablas y de "
        "la base de datos");
    if (q.value(3).toBool())
        throw ModuleError(QStringLiteral("El rol %1 puede crear objetos temporales en la base de "
                                         "datos %2%3")
                              .arg(db.location().user, db.location().databaseName, reinstall),
                          ModuleError::Kind::Connection);
    if (!q.value(4).toString().isEmpty())
        throw ModuleError(QStringLiteral("Las tablas %1 no tienen la seguridad por filas activa%2")
                              .arg(q.value(4).toString(), reinstall),
                          ModuleError::Kind::Connection);
    if (role != Role::Reader)
        return;
    if (q.value(5).toBool())
        throw ModuleError(QStringLiteral("El rol %1 de --reader puede leer las claves, las "
                                         "sesiones, los intentos de ingreso o el historial de "
                                         "cambios; use el rol de solo lectura que crea "
                                         "«tavrel-server --install-roles»")
                              .arg(db.location().user),
                          ModuleError::Kind::Connection);
    if (!q.value(6).toString().isEmpty())
        throw ModuleError(QStringLiteral("El rol %1 de --reader puede modificar las tablas %2; "
                                         "use el rol de solo lectura que crea "
                                         "«tavrel-server --install-roles»")
                              .arg(db.location().user, q.value(6).toString()),
                          ModuleError::Kind::Connection);
}

SqlDialect::SessionSettings NetworkAccess::sessionSettings(Role role, int statementSeconds,
                                                           int lockSeconds)
{
    const auto ms = [](int seconds) { return QString::number(qint64(seconds) * 1000); };
    SqlDialect::SessionSettings settings{
        {QStringLiteral("statement_timeout"), ms(statementSeconds)},
        {QStringLiteral("lock_timeout"), ms(lockSeconds)},
        // A transaction left open (a worker stopped in the middle of a request) holds its
        // locks no longer than a statement may run.
        {QStringLiteral("idle_in_transaction_session_timeout"), ms(statementSeconds)},
    };
    if (role == Role::Reader)
        settings.append({QStringLiteral("default_transaction_read_only"), QStringLiteral("on")});
    return settings;
}

Database::ReadPrelude NetworkAccess::sessionPrelude(const QString& token,
                                                    std::function<void(QSqlQuery&)> check)
{
    // One call of the function (each costs as much as a small query), and one row even
    // for an unknown token.
    return {QStringLiteral("S.COD_USUA, S.FEC_USO, set_config('tavrel.sesion', :T, false)"),
            QStringLiteral("FROM (SELECT 1) O LEFT JOIN tavrel_sesion(:T) S ON TRUE"),
            {token},
            std::move(check),
            true};
}

void NetworkAccess::bindSession(Database& db, const QString& token)
{
    db.setSessionStatement(QStringLiteral("SELECT set_config('tavrel.sesion', :T, false)"),
                           {token});
}

} // namespace tavrel
