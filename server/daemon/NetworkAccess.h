#pragma once

#include "Database.h"

#include <QString>

namespace tavrel {

// What a PostgreSQL database needs before tavrel-server may serve it, and the checks that
// it has it.
//
// Two login roles, neither of which owns a table, so that row-level security applies to
// both:
// - "<base>_servidor" runs logins, sessions, changed rows and late-bound methods: it
//   reads and writes every table, credentials included;
// - "<base>_lector" runs the SELECT texts that desks send, and nothing else: it reads the
//   data tables, but not the password hashes (GN_USUAR.CLA_USUA), the sessions, the
//   failed-login counts or the change history (TVL_HISTORIA, which the server role may
//   add to but not erase). Being a role of its own, not one the server role switches to,
//   no SQL text can take it back to the server role's rights.
// Every table with a COD_EMPR column gets the policy "tavrel_empresa": a row is visible
// and writable only when its company is one that GN_UEMPR gives the user of the session
// whose token the connection carries (the setting tavrel.sesion, set by the server before
// each request, for the reader in the request's own transaction; only a valid token's
// hash matches a session).
class NetworkAccess
{
public:
    struct Logins
    {
        QString server; // postgresql:// URL of the server role
        QString reader; // postgresql:// URL of the reader role
    };

    // The functions behind the policies and the sessions, as this version installs them.
    struct Function
    {
        QString signature;   // "tavrel_sesion(text)"
        QString declaration; // what CREATE FUNCTION says of it before its body
        QString body;        // as PostgreSQL keeps it (pg_proc.prosrc)
    };
    static const QList<Function>& functions();

    // Creates or refreshes the policies, the function behind them and both roles (new
    // random passwords each time). Run by the tables' owner, who must be allowed to
    // create roles. Throws ModuleError.
    static Logins install(Database& owner);

    enum class Role
    {
        Server,
        Reader,
    };
    // Refuses a connection whose role would escape the policies: the tables' owner, a
    // superuser, a role that bypasses row-level security or may create temporary objects,
    // or a database with a company table that row-level security does not cover. The
    // reader must also be unable to read credentials, sessions, failed logins and the
    // change history, and to write anything. Throws ModuleError (Connection).
    static void requireRestricted(Database& db, Role role);

    // The settings a connection of `role` starts with: its limits (in seconds) on each
    // statement and on each wait for a lock; the reader's transactions are read-only.
    static SqlDialect::SessionSettings sessionSettings(Role role, int statementSeconds,
                                                       int lockSeconds);

    // Binds the connection to a session for the following statements, and again when it
    // is opened anew.
    static void bindSession(Database& db, const QString& token);
    // A lasting Database::ReadPrelude that binds the reader's connection to the session
    // of `token` and hands `check` that session's user and last use (columns 0 and 1),
    // both null when there is no such session; the function behind it shows a session to
    // whoever holds its token, nothing else. Every read binds again in its own first
    // round trip, so a connection never reads for the session of an earlier request.
    static Database::ReadPrelude sessionPrelude(const QString& token,
                                                std::function<void(QSqlQuery&)> check);
};

} // namespace tavrel
