#pragma once

#include "DaemonProcess.h"
#include "TestDatabase.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <string>

namespace tavrel::test {

// A demo database on PostgreSQL behind a tavrel-server of its own that writes an access
// log, and a desk's requests written by hand: what an attacker with the ordinary desk
// login MGOMEZ (company 2 only) has, and what the network's own tests send.
class ServedDemo
{
public:
    struct Reply
    {
        int status = 0; // 0: no answer at all
        QJsonObject body;
        std::string raw;
        QString message() const;
    };

    // Starts the server with `extra` options. ready() tells whether it listens; why() why not.
    explicit ServedDemo(const QStringList& extra = {});
    ~ServedDemo();

    bool ready() const { return m_daemon && m_daemon->started(); }
    QString why() const { return m_why; }

    TestDatabase& database() { return *m_db; }
    DaemonProcess& daemon() { return *m_daemon; }
    const QStringList& roles() const { return m_roles; }
    // The login URL that follows `option` ("--database", "--reader") in roles().
    QString roleUrl(const char* option) const
    {
        return m_roles.value(m_roles.indexOf(QLatin1String(option)) + 1);
    }
    QString accessLog() const;

    // A POST to the server on `port`, as the token's bearer.
    static Reply post(int port, const std::string& path, const QByteArray& body,
                      const QString& token = {},
                      const std::map<std::string, std::string>& headers = {});
    // The token of a login on the server on `port`, empty when refused.
    static QString login(int port, const QString& user, const QString& password);
    Reply post(const std::string& path, const QByteArray& body, const QString& token = {},
               const std::map<std::string, std::string>& headers = {}) const
    {
        return post(m_daemon->port(), path, body, token, headers);
    }
    QString login(const QString& user, const QString& password) const
    {
        return login(m_daemon->port(), user, password);
    }
    // A desk's read, as the desk sends it.
    Reply open(const QString& token, const QString& commandText,
               const QString& provider = QStringLiteral("DtsPTemporal")) const;
    // The companies whose relation rows a read of `token` sees.
    QList<int> companiesSeen(const QString& token) const;

    // Credentials of the demo users.
    static constexpr const char* MGomez = "MGOMEZ";
    static constexpr const char* MGomezPassword = "Nomina2026";
    static constexpr const char* JPerez = "JPEREZ";
    static constexpr const char* JPerezPassword = "Tavrel2026";

private:
    std::unique_ptr<TestDatabase> m_db;
    QStringList m_roles;
    QString m_log;
    std::unique_ptr<DaemonProcess> m_daemon;
    QString m_why;
};

} // namespace tavrel::test
