#include "HostSession.h"

#include "AppServerFactory.h"
#include "HostLog.h"
#include "LoginOptions.h"
#include "ModuleError.h"

#include <QVariantList>

#include <algorithm>

namespace tavrel {

HostSession HostSession::forLogin(const Login& login)
{
    HostSession session;
    session.protocol = login.protocol;
    session.database = login.database;
    session.user = login.user;
    session.password = login.password;
    session.company = login.company;
    return session;
}

HostLogin HostSession::logIn() const
{
    if (database.trimmed().isEmpty())
        throw ModuleError(QStringLiteral("Indique la base de datos o el servidor."));
    if (user.trimmed().isEmpty())
        throw ModuleError(QStringLiteral("Indique el usuario."));
    const auto server = AppServerFactory::connect(protocol, database, {user.trimmed(), password});
    // A network server has checked the password at its login.
    if (!server->verifiedLogin(user.trimmed(), password)) {
        QVariantList args{user.trimmed().toUpper(), password, QString()};
        const QVariant status = server->invoke(QStringLiteral("ValidarUsuario"), args);
        if (status.toInt() != 0)
            throw ModuleError(QStringLiteral("Usuario o contraseña incorrectos."));
    }
    const DataPacket rows = server->open(
        QStringLiteral("DtsPGnUempr"),
        QStringLiteral("SELECT E.COD_EMPR, E.NOM_EMPR FROM GN_UEMPR U JOIN GN_EMPRE E "
                       "ON E.COD_EMPR = U.COD_EMPR WHERE UPPER(U.COD_USUA) = :P_COD_USUA "
                       "ORDER BY E.COD_EMPR"),
        {{QStringLiteral("P_COD_USUA"), user.trimmed().toUpper()}});
    HostLogin login{server, {}};
    for (const QVariantList& row : rows.rows)
        login.companies.append({row.value(0).toInt(), row.value(1).toString().trimmed()});
    qCDebug(lcHost) << "login of" << user.trimmed().toUpper() << "on" << server->description()
                    << "with" << login.companies.size() << "companies";
    return login;
}

std::shared_ptr<IAppServer> HostSession::connectToCompany() const
{
    const HostLogin login = logIn();
    const QList<HostCompany>& companies = login.companies;
    if (!company.trimmed().isEmpty()) {
        const int code = company.toInt();
        if (std::none_of(companies.cbegin(), companies.cend(),
                         [code](const HostCompany& c) { return c.code == code; }))
            throw ModuleError(QStringLiteral("El usuario %1 no tiene acceso a la empresa %2")
                                  .arg(user, company.trimmed()));
    }
    return login.server;
}

} // namespace tavrel
