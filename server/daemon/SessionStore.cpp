#include "SessionStore.h"

#include "Database.h"
#include "IAppServer.h"
#include "ModuleError.h"
#include "NetworkAccess.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <algorithm>

namespace tavrel {

namespace {

QString tokenHash(const QString& token)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(token.toLatin1(), QCryptographicHash::Sha256).toHex());
}

QString newToken()
{
    QByteArray bytes(32, Qt::Uninitialized);
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    return QString::fromLatin1(
        bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

SessionStore::Denied wrongLogin()
{
    return SessionStore::Denied(QStringLiteral("Usuario o contraseña incorrectos."), 401);
}

} // namespace

SessionStore::SessionStore(Database& db, IAppServer& server, std::chrono::seconds idle)
    : m_db(db), m_server(server), m_idle(idle)
{}

int SessionStore::delayAfter(int failures)
{
    if (failures < 5)
        return 0;
    return std::min(300, 2 << std::min(failures - 5, 8));
}

QVariant SessionStore::validate(QVariantList& args, const QString& sessionUser)
{
    const QString user = args.value(0).toString().trimmed().toUpper().left(20);
    if (args.size() != 3 || user != sessionUser)
        throw ModuleError(QStringLiteral("El servidor de aplicaciones solo valida por la red al "
                                         "usuario de la sesión"));
    args[2] = verify(user, args[1].toString(), QString());
    return 0;
}

bool SessionStore::hasControlCharacters(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0);
    });
}

SessionStore::Denied SessionStore::delayed(const QString& user, const QString& address, int free)
{
    const QDateTime now = QDateTime::currentDateTime();
    int wait = 1;
    QSqlQuery q = m_db.exec(QStringLiteral("SELECT NUM_FALL, FEC_FALL FROM TVL_INTENTO "
                                           "WHERE COD_USUA = :U AND DIR_CLIE = :D"),
                            {user, address});
    if (q.next())
        wait = std::max(1, delayAfter(q.value(0).toInt() - free + 5) -
                               int(q.value(1).toDateTime().secsTo(now)));
    return Denied(
        QStringLiteral("Demasiados intentos fallidos; intente de nuevo en %1 segundos.").arg(wait),
        429);
}

bool SessionStore::addressWaits(const QString& address)
{
    return m_db
        .queryValue(
            QStringLiteral("SELECT 1 FROM TVL_INTENTO WHERE COD_USUA = '' AND DIR_CLIE = :D "
                           "AND NUM_FALL >= %1 AND FEC_FALL + make_interval(secs => "
                           "LEAST(300, 2 << LEAST(NUM_FALL - %1, 8))) > :AHORA")
                .arg(AddressFreeFailures),
            {address, QDateTime::currentDateTime()})
        .isValid();
}

void SessionStore::countAddressFailure(const QString& address)
{
    if (address.isEmpty())
        return;
    m_db.exec(
        QStringLiteral("INSERT INTO TVL_INTENTO (COD_USUA, DIR_CLIE, NUM_FALL, FEC_FALL) "
                       "VALUES ('', :D, 1, :AHORA) ON CONFLICT (COD_USUA, DIR_CLIE) DO UPDATE "
                       "SET NUM_FALL = CASE WHEN TVL_INTENTO.FEC_FALL + INTERVAL '%1 seconds' "
                       "< EXCLUDED.FEC_FALL THEN 1 ELSE TVL_INTENTO.NUM_FALL + 1 END, "
                       "FEC_FALL = EXCLUDED.FEC_FALL")
            .arg(ForgetSeconds),
        {address, QDateTime::currentDateTime()});
}

QString SessionStore::verify(const QString& typedUser, const QString& password,
                             const QString& address)
{
    // An address whose failures, for any users, call for a wait is held first. Its count
    // takes failures only, once checked: an office behind one address logs in all at once
    // in the morning. The count of the user's own desk is untouched by somebody else's
    // guesses from another address.
    if (!address.isEmpty() && addressWaits(address))
        throw delayed(QString(), address, AddressFreeFailures);
    // A name with a control character is nobody's, and PostgreSQL takes no NUL.
    if (hasControlCharacters(typedUser)) {
        countAddressFailure(address);
        throw wrongLogin();
    }
    const QString user = typedUser.trimmed().toUpper().left(20);
    // The user's count from this address is locked while its password is checked, so
    // attempts sent together take their turns, each seeing the failures before it.
    QVariantList args{user, password, QString()};
    bool waits = false;
    bool right = false;
    m_db.transaction([&] {
        m_db.exec(QStringLiteral("INSERT INTO TVL_INTENTO (COD_USUA, DIR_CLIE, NUM_FALL, FEC_FALL) "
                                 "VALUES (:U, :D, 0, :AHORA) ON CONFLICT (COD_USUA, DIR_CLIE) "
                                 "DO NOTHING"),
                  {user, address, QDateTime::currentDateTime()});
        QSqlQuery q = m_db.exec(QStringLiteral("SELECT NUM_FALL, FEC_FALL FROM TVL_INTENTO WHERE "
                                               "COD_USUA = :U AND DIR_CLIE = :D FOR UPDATE"),
                                {user, address});
        const QDateTime now = QDateTime::currentDateTime();
        const qint64 since = q.next() ? q.value(1).toDateTime().secsTo(now) : ForgetSeconds + 1;
        const int failures = since > ForgetSeconds ? 0 : q.value(0).toInt();
        waits = since < delayAfter(failures);
        if (waits)
            return;
        right =
            !user.isEmpty() && m_server.invoke(QStringLiteral("ValidarUsuario"), args).toInt() == 0;
        if (right)
            m_db.exec(
                QStringLiteral("DELETE FROM TVL_INTENTO WHERE COD_USUA = :U AND DIR_CLIE = :D"),
                {user, address});
        else
            m_db.exec(QStringLiteral("UPDATE TVL_INTENTO SET NUM_FALL = :N, FEC_FALL = :AHORA "
                                     "WHERE COD_USUA = :U AND DIR_CLIE = :D"),
                      {failures + 1, now, user, address});
    });
    if (waits)
        throw delayed(user, address, UserFreeFailures);
    if (!right) {
        countAddressFailure(address);
        throw wrongLogin();
    }
    return args[2].toString();
}

SessionStore::Login SessionStore::login(const QString& typedUser, const QString& password,
                                        const QString& address)
{
    const QString type = verify(typedUser, password, address);
    const QString user = typedUser.trimmed().toUpper().left(20);
    const QDateTime now = QDateTime::currentDateTime();
    Login login{newToken(), user, type, {}};
    m_db.transaction([&] {
        m_db.exec(QStringLiteral("DELETE FROM TVL_SESION WHERE FEC_USO < :LIMITE"),
                  {now.addSecs(-m_idle.count())});
        m_db.exec(QStringLiteral("INSERT INTO TVL_SESION (HSH_SESI, COD_USUA, FEC_CREA, FEC_USO) "
                                 "VALUES (:H, :U, :AHORA, :AHORA)"),
                  {tokenHash(login.token), user, now});
    });
    NetworkAccess::bindSession(m_db, login.token);
    m_bound = login.token;
    login.companies = companiesOf(user);
    return login;
}

SessionStore::Session SessionStore::check(const QString& token)
{
    // A desk keeps its connection to one worker, so the binding is usually in place.
    if (m_bound != token) {
        NetworkAccess::bindSession(m_db, token);
        m_bound = token;
    }
    Session session{token, {}, {}};
    QDateTime lastUse;
    QSqlQuery q =
        m_db.exec(QStringLiteral("SELECT S.COD_USUA, S.FEC_USO, U.COD_EMPR FROM TVL_SESION S "
                                 "LEFT JOIN GN_UEMPR U ON UPPER(U.COD_USUA) = S.COD_USUA "
                                 "WHERE S.HSH_SESI = :H ORDER BY U.COD_EMPR"),
                  {tokenHash(token)});
    while (q.next()) {
        session.user = q.value(0).toString().trimmed();
        lastUse = q.value(1).toDateTime();
        if (!q.value(2).isNull())
            session.companies.append(q.value(2).toInt());
    }
    accept(token, session.user, lastUse);
    return session;
}

void SessionStore::accept(const QString& token, const QString& user, const QDateTime& lastUse)
{
    const QDateTime now = QDateTime::currentDateTime();
    if (user.isEmpty() || !lastUse.isValid() || lastUse.secsTo(now) > m_idle.count())
        throw Denied(QStringLiteral("La sesión no es válida o expiró; ingrese de nuevo."), 401);
    // The last use is written at most once a minute, so that calls stay reads.
    if (lastUse.secsTo(now) >= 60) {
        m_db.exec(QStringLiteral("UPDATE TVL_SESION SET FEC_USO = :AHORA WHERE HSH_SESI = :H"),
                  {now, tokenHash(token)});
    }
}

void SessionStore::logout(const QString& token)
{
    m_db.exec(QStringLiteral("DELETE FROM TVL_SESION WHERE HSH_SESI = :H"), {tokenHash(token)});
}

QList<SessionStore::Company> SessionStore::companiesOf(const QString& user)
{
    QList<Company> companies;
    QSqlQuery q = m_db.exec(QStringLiteral("SELECT E.COD_EMPR, E.NOM_EMPR FROM GN_UEMPR U "
                                           "JOIN GN_EMPRE E ON E.COD_EMPR = U.COD_EMPR "
                                           "WHERE UPPER(U.COD_USUA) = :U ORDER BY E.COD_EMPR"),
                            {user});
    while (q.next())
        companies.append({q.value(0).toInt(), q.value(1).toString()});
    return companies;
}

} // namespace tavrel
