#include "ServedDemo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <httplib.h>

using namespace Qt::StringLiterals;

namespace tavrel::test {

QString ServedDemo::Reply::message() const
{
    return body.value(u"error"_s).toObject().value(u"message"_s).toString();
}

ServedDemo::ServedDemo(const QStringList& extra)
    : m_db(std::make_unique<TestDatabase>(TestDatabase::Content::Demo, u"postgres"_s))
{
    m_roles = DaemonProcess::installRoles(m_db->url(), &m_why);
    if (m_roles.isEmpty())
        return;
    static int served = 0;
    m_log = QDir::temp().filePath(
        u"tavrel-hostile-%1-%2.log"_s.arg(QCoreApplication::applicationPid()).arg(++served));
    QFile::remove(m_log);
    m_daemon =
        std::make_unique<DaemonProcess>(m_roles, QStringList{u"--access-log"_s, m_log} + extra);
    if (!m_daemon->started())
        m_why = m_daemon->errors();
}

ServedDemo::~ServedDemo()
{
    m_daemon.reset();
    m_db.reset();
    if (!m_log.isEmpty())
        QFile::remove(m_log);
}

QString ServedDemo::accessLog() const
{
    QFile log(m_log);
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

ServedDemo::Reply ServedDemo::post(int port, const std::string& path, const QByteArray& body,
                                   const QString& token,
                                   const std::map<std::string, std::string>& headers)
{
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(60, 0);
    httplib::Headers sent;
    if (!token.isEmpty())
        sent.emplace("Authorization", "Bearer " + token.toStdString());
    for (const auto& [name, value] : headers)
        sent.emplace(name, value);
    const auto result = client.Post(path, sent, body.toStdString(), "application/json");
    if (!result)
        return {};
    return {result->status,
            QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object(),
            result->body};
}

QString ServedDemo::login(int port, const QString& user, const QString& password)
{
    const QJsonObject body{{u"user"_s, user}, {u"password"_s, password}};
    return post(port, "/v1/login", QJsonDocument(body).toJson(QJsonDocument::Compact))
        .body.value(u"token"_s)
        .toString();
}

ServedDemo::Reply ServedDemo::open(const QString& token, const QString& commandText,
                                   const QString& provider) const
{
    const QJsonObject body{
        {u"provider"_s, provider}, {u"commandText"_s, commandText}, {u"params"_s, QJsonArray()}};
    return post("/v1/open", QJsonDocument(body).toJson(QJsonDocument::Compact), token);
}

QList<int> ServedDemo::companiesSeen(const QString& token) const
{
    const Reply reply = open(token, u"SELECT DISTINCT COD_EMPR FROM NM_RPCOS ORDER BY 1"_s);
    QList<int> companies;
    for (const QJsonValue& row : reply.body.value(u"rows"_s).toArray()) {
        companies.append(row.toArray().at(0).toInt());
    }
    return companies;
}

} // namespace tavrel::test
