#include "LoginMemory.h"

#include <QSettings>
#include <QUrl>

namespace tavrel {

namespace {

const QString ProtocolKey = QStringLiteral("login/protocol");
const QString DatabaseKey = QStringLiteral("login/database");
const QString UserKey = QStringLiteral("login/user");
const QString CompanyKey = QStringLiteral("login/company");

void recallInto(const QSettings& settings, const QString& key, QString& value)
{
    if (value.isEmpty())
        value = settings.value(key).toString();
}

// A database URL may carry its password; the desk keeps it without.
QString withoutPassword(const QString& database)
{
    QUrl url(database);
    if (!database.contains(QLatin1String("://")) || url.password().isEmpty())
        return database;
    url.setPassword(QString());
    return url.toString();
}

} // namespace

void LoginMemory::recall(const QSettings& settings, HostSession& session)
{
    // The protocol goes with the database it was remembered with, never with one given
    // on the command line.
    if (session.database.isEmpty()) {
        session.database = settings.value(DatabaseKey).toString();
        if (!session.database.isEmpty())
            session.protocol = settings.value(ProtocolKey, session.protocol).toString();
    }
    recallInto(settings, UserKey, session.user);
    recallInto(settings, CompanyKey, session.company);
}

void LoginMemory::remember(QSettings& settings, const HostSession& session)
{
    settings.setValue(ProtocolKey, session.protocol);
    settings.setValue(DatabaseKey, withoutPassword(session.database));
    settings.setValue(UserKey, session.user);
    settings.setValue(CompanyKey, session.company);
}

} // namespace tavrel
