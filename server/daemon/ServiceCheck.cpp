#include "ServiceCheck.h"

#include "AccessLog.h"
#include "Database.h"
#include "ModuleError.h"
#include "NetworkAccess.h"
#include "TlsCredentials.h"

#include <QSqlQuery>

#include <functional>
#include <memory>

namespace tavrel {

namespace {

class Report
{
public:
    explicit Report(QTextStream& out) : m_out(out) {}

    void ok(const QString& text) { line("ok   ", text); }
    void warn(const QString& text) { line("AVISO", text); }
    void fail(const QString& text)
    {
        m_failed = true;
        line("FALLA", text);
    }
    // Runs `check`, which returns its ok text; a ModuleError is the check's failure.
    void run(const QString& what, const std::function<QString()>& check)
    {
        try {
            ok(what + QStringLiteral(": ") + check());
        } catch (const ModuleError& e) {
            fail(what + QStringLiteral(": ") + e.message());
        }
    }
    bool failed() const { return m_failed; }

private:
    void line(const char* mark, const QString& text) { m_out << mark << ' ' << text << Qt::endl; }

    QTextStream& m_out;
    bool m_failed = false;
};

// The functions that the policies and the sessions call, as this version installs them,
// and whether `db`'s role may run them; throws naming those it misses.
QString requireFunctions(Database& db)
{
    QStringList missing;
    QStringList older;
    QStringList names;
    for (const NetworkAccess::Function& function : NetworkAccess::functions()) {
        names << function.signature;
        QSqlQuery q =
            db.exec(QStringLiteral("SELECT p.prosrc, has_function_privilege(p.oid, 'EXECUTE') "
                                   "FROM pg_proc p WHERE p.oid = to_regprocedure(:F)"),
                    {function.signature});
        if (!q.next() || !q.value(1).toBool())
            missing << function.signature;
        else if (q.value(0).toString() != function.body)
            older << function.signature;
    }
    const QString reinstall = QStringLiteral("; ejecute de nuevo «tavrel-server --install-roles» "
                                             "con el dueño de las tablas");
    if (!missing.isEmpty())
        throw ModuleError(
            QStringLiteral("faltan las funciones %1 o el rol %2 no puede "
                           "ejecutarlas%3")
                .arg(missing.join(QLatin1String(", ")), db.location().user, reinstall));
    if (!older.isEmpty())
        throw ModuleError(QStringLiteral("las funciones %1 son de otra versión%2")
                              .arg(older.join(QLatin1String(", ")), reinstall));
    return QStringLiteral("%1 instaladas, de esta versión").arg(names.join(QLatin1String(", ")));
}

// Every table with a company column filters its rows by the policy.
QString requirePolicies(Database& db)
{
    const QString unprotected =
        db
            .queryValue(QStringLiteral(
                "SELECT string_agg(c.relname, ', ' ORDER BY c.relname) FROM pg_class c "
                "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attname = 'cod_empr' "
                "AND NOT a.attisdropped "
                "WHERE c.relnamespace = current_schema()::regnamespace AND c.relkind = 'r' "
                "AND (NOT c.relrowsecurity OR NOT EXISTS (SELECT 1 FROM pg_policy p "
                "WHERE p.polrelid = c.oid AND p.polname = 'tavrel_empresa'))"))
            .toString();
    if (!unprotected.isEmpty())
        throw ModuleError(QStringLiteral("las tablas %1 no filtran sus filas por empresa; "
                                         "ejecute de nuevo «tavrel-server --install-roles»")
                              .arg(unprotected));
    return QStringLiteral("todas las tablas con COD_EMPR filtran por empresa");
}

} // namespace

int ServiceCheck::run(const DaemonOptions& options, QTextStream& out)
{
    Report report(out);
    const QString address = QStringLiteral("%1:%2").arg(options.host).arg(options.port);
    if (const QString problem = options.listenProblem(); problem.isEmpty())
        report.ok(QStringLiteral("escucha: %1 %2").arg(options.tls() ? "https" : "http", address));
    else
        report.fail(QStringLiteral("escucha: ") + problem);

    std::unique_ptr<Database> server;
    std::unique_ptr<Database> reader;
    report.run(QStringLiteral("rol del servidor (--database)"), [&] {
        server = Database::open(options.database);
        return QStringLiteral("conecta como %1").arg(server->location().user);
    });
    report.run(QStringLiteral("rol de lectura (--reader)"), [&] {
        reader = Database::open(options.reader);
        return QStringLiteral("conecta como %1").arg(reader->location().user);
    });
    for (Database* db : {server.get(), reader.get()}) {
        if (db)
            report.run(QStringLiteral("funciones de %1").arg(db->location().user),
                       [db] { return requireFunctions(*db); });
    }
    if (server) {
        report.run(QStringLiteral("seguridad por filas"), [&] { return requirePolicies(*server); });
        report.run(QStringLiteral("permisos de %1").arg(server->location().user), [&] {
            NetworkAccess::requireRestricted(*server, NetworkAccess::Role::Server);
            return QStringLiteral("no es dueño de las tablas ni pasa por encima de sus políticas");
        });
    }
    if (reader) {
        report.run(QStringLiteral("permisos de %1").arg(reader->location().user), [&] {
            NetworkAccess::requireRestricted(*reader, NetworkAccess::Role::Reader);
            return QStringLiteral("solo lee, y no las claves, las sesiones ni el historial");
        });
    }

    if (options.tls()) {
        report.run(QStringLiteral("certificado"), [&] {
            TlsCredentials::serverContext(options.tlsCert, options.tlsKey);
            return QStringLiteral("%1 y la clave %2 se cargan y corresponden")
                .arg(options.tlsCert, options.tlsKey);
        });
        try {
            const QDateTime expiry = TlsCredentials::expiry(options.tlsCert);
            const QDateTime now = QDateTime::currentDateTimeUtc();
            const QString when = expiry.toString(Qt::ISODate);
            if (expiry <= now)
                report.fail(QStringLiteral("vigencia: el certificado %1 venció el %2")
                                .arg(options.tlsCert, when));
            else if (now.daysTo(expiry) < WarningDays)
                report.warn(QStringLiteral("vigencia: el certificado %1 vence el %2, en menos "
                                           "de %3 días")
                                .arg(options.tlsCert, when)
                                .arg(WarningDays));
            else
                report.ok(QStringLiteral("vigencia: el certificado vence el %1").arg(when));
        } catch (const ModuleError& e) {
            report.fail(QStringLiteral("vigencia: ") + e.message());
        }
    }
    report.run(QStringLiteral("registro de accesos"), [&] {
        AccessLog log(options.accessLog);
        return options.accessLog.isEmpty() ? QStringLiteral("salida de errores")
                                           : options.accessLog;
    });
    return report.failed() ? 1 : 0;
}

} // namespace tavrel
