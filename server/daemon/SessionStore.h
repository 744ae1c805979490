#pragma once

#include "ModuleError.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <chrono>
#include <optional>

namespace tavrel {

class Database;
class IAppServer;

// The network server's logins and sessions, kept in the database itself (TVL_SESION,
// TVL_INTENTO) so that every server process on the same database accepts the same
// tokens. A token is 256 random bits sent once to the desk; the table keeps only its
// SHA-256. A session ends at logout or after `idle` without a call.
//
// Login attempts are counted per typed user name (known or not) and client address, and
// per client address alone. From the fifth attempt of a user from one address on, each
// further attempt must wait twice as long as the one before (2 s, 4 s, … up to 5
// minutes); a successful login clears that count. Attempts of one user from one address
// take their turns (the count is locked while a password is checked), so guesses sent in
// parallel get no more checks, and a user's logins from several desks at once all pass. An address
// has twenty failures, for any users, before its own waits begin; that count takes failures only,
// once checked, so that an office behind one address may log in all at once, and a login never
// clears it (or an attacker with an account of their own could). A count is forgotten after fifteen
// minutes without an attempt. A user locked out by guesses from one address still logs in from
// their own.
class SessionStore
{
public:
    struct Company
    {
        int code = 0;
        QString name;
    };

    struct Login
    {
        QString token;
        QString user;
        QString type; // GN_USUAR's TIP_USUA, as ValidarUsuario gives it
        QList<Company> companies;
    };

    // The user of a live session and the companies GN_UEMPR gives them.
    struct Session
    {
        QString token;
        QString user;
        QList<int> companies;
    };

    // A refused login or token, with the HTTP status that carries it: 401 for a wrong
    // user, password or token, 429 while attempts are being delayed.
    class Denied : public ModuleError
    {
    public:
        Denied(const QString& message, int status) : ModuleError(message), status(status) {}
        int status;
    };

    // `server` answers ValidarUsuario on the same database.
    SessionStore(Database& db, IAppServer& server, std::chrono::seconds idle);

    // Throws Denied "Usuario o contraseña incorrectos." for a wrong user or password
    // alike, and one that says how long to wait while attempts are being delayed.
    // `address` is the client's; empty when it is unknown (then only the user is counted).
    Login login(const QString& user, const QString& password, const QString& address);
    // Throws Denied "La sesión no es válida o expiró; ingrese de nuevo."
    Session check(const QString& token);
    // The part of check() after reading the session (its user, empty for none, and its
    // last use), for a server that read them along with other work.
    void accept(const QString& token, const QString& user, const QDateTime& lastUse);
    // ValidarUsuario for a desk that is already logged in: only for the session's own
    // user, and counted and delayed like a login. Throws Denied on a wrong password.
    QVariant validate(QVariantList& args, const QString& sessionUser);
    void logout(const QString& token);

    // Seconds an attempt must wait after `failures` failed logins (0 below five).
    static int delayAfter(int failures);
    // Free attempts of one user from one address, and of one address for any user.
    static constexpr int UserFreeFailures = 5;
    static constexpr int AddressFreeFailures = 20;
    static constexpr int ForgetSeconds = 15 * 60;

private:
    // The user's type when the password is right; counts and delays attempts.
    QString verify(const QString& typedUser, const QString& password, const QString& address);
    Denied delayed(const QString& user, const QString& address, int free);
    // Whether the address's failures call for a wait now.
    bool addressWaits(const QString& address);
    void countAddressFailure(const QString& address);
    static bool hasControlCharacters(const QString& text);
    QList<Company> companiesOf(const QString& user);

    Database& m_db;
    IAppServer& m_server;
    std::chrono::seconds m_idle;
    QString m_bound; // the token the connection is bound to
};

} // namespace tavrel
