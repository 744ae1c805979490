#include "RemoteAppServer.h"

#include "KeptConnection.h"
#include "ModuleError.h"
#include "WaitingCall.h"
#include "WireMessages.h"
#include "WireValue.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QUrl>
#include <algorithm>
#include <mutex>
#include <optional>

namespace tavrel {

struct RemoteAppServer::Private
{
    QString url;
    std::unique_ptr<KeptConnection> connection;
    std::string token;
    QList<Company> companies;
    // What the login checked: the user as the server wrote it, the user's type when the
    // server gave it, and a salted digest of the password rather than the password.
    QString user;
    std::optional<QString> type;
    QByteArray salt;
    QByteArray passwordDigest;
    int timeout = 120;
    static QByteArray digest(const QByteArray& salt, const QString& password)
    {
        return QCryptographicHash::hash(salt + password.toUtf8(), QCryptographicHash::Sha256);
    }

    std::mutex mutex; // one request at a time on the connection (calls may nest, see WaitingCall)

    // `waiting` false sends the request from the caller's thread as it is, e.g. the
    // logout of a closing desk. Only reads may reach the server twice: see KeptConnection.
    // A call whose body or answer holds a secret is not `compressed`.
    QJsonObject post(const char* path, const QJsonObject& body,
                     KeptConnection::Repeat repeat = KeptConnection::Repeat::IfUnanswered,
                     bool waiting = true, bool compressed = true)
    {
        const std::string payload =
            QJsonDocument(body).toJson(QJsonDocument::Compact).toStdString();
        std::optional<httplib::Result> result;
        QElapsedTimer clock;
        clock.start();
        const auto send = [&] {
            const std::lock_guard lock(mutex);
            httplib::Headers headers;
            if (!token.empty())
                headers.emplace("Authorization", "Bearer " + token);
            connection->setTimeout(std::chrono::seconds(timeout));
            result.emplace(connection->post(path, headers, payload, repeat, compressed));
        };
        if (waiting)
            WaitingCall::run(send);
        else
            send();
        if (!*result)
            throw transportError(result->error(), clock.elapsed() >= qint64(timeout) * 1000);
        QJsonParseError parseError;
        const QJsonDocument answer =
            QJsonDocument::fromJson(QByteArray::fromStdString((*result)->body), &parseError);
        if ((*result)->status != 200) {
            if (answer.isObject() && answer.object().contains(QStringLiteral("error")))
                throw WireMessages::decodeError(answer.object());
            throw ModuleError(QStringLiteral("El servidor de aplicaciones %1 respondió HTTP %2")
                                  .arg(url)
                                  .arg((*result)->status),
                              ModuleError::Kind::Server);
        }
        if (!answer.isObject())
            WireValue::malformed(
                QStringLiteral("la respuesta de %1 no es un objeto JSON").arg(url));
        return answer.object();
    }

    ModuleError transportError(httplib::Error error, bool timedOut) const
    {
        if (timedOut)
            return ModuleError(QStringLiteral("El servidor de aplicaciones %1 no respondió en %2 "
                                              "segundos")
                                   .arg(url)
                                   .arg(timeout),
                               ModuleError::Kind::Connection);
        switch (error) {
        case httplib::Error::Connection:
        case httplib::Error::ConnectionTimeout:
            return ModuleError(QStringLiteral("No se pudo conectar con el servidor de aplicaciones "
                                              "%1")
                                   .arg(url),
                               ModuleError::Kind::Connection);
        case httplib::Error::Read:
        case httplib::Error::Write:
            return ModuleError(QStringLiteral("Se perdió la conexión con el servidor de "
                                              "aplicaciones %1")
                                   .arg(url),
                               ModuleError::Kind::Connection);
        case httplib::Error::Canceled: // refused by the connection's limit
            return ModuleError(QStringLiteral("La respuesta del servidor de aplicaciones %1 "
                                              "supera los %2 MiB que un equipo lee; no se leyó")
                                   .arg(url)
                                   .arg(KeptConnection::MaxAnswerSize / (1024 * 1024)),
                               ModuleError::Kind::Server);
        case httplib::Error::SSLConnection:
        case httplib::Error::SSLLoadingCerts:
        case httplib::Error::SSLServerVerification:
            return ModuleError(QStringLiteral("No se pudo establecer una conexión segura con %1: "
                                              "el certificado del servidor no es de confianza")
                                   .arg(url),
                               ModuleError::Kind::Connection);
        default:
            return ModuleError(QStringLiteral("Falló la comunicación con el servidor de "
                                              "aplicaciones %1 (%2)")
                                   .arg(url, QString::fromStdString(httplib::to_string(error))),
                               ModuleError::Kind::Connection);
        }
    }
};

RemoteAppServer::RemoteAppServer() : d(std::make_unique<Private>()) {}

RemoteAppServer::~RemoteAppServer()
{
    try {
        if (!d->token.empty()) {
            d->timeout = std::min(d->timeout, 2);
            d->post("/v1/logout", {}, KeptConnection::Repeat::IfUnanswered, false);
        }
    } catch (const std::exception&) {
        // The session expires on its own.
    }
}

std::unique_ptr<RemoteAppServer> RemoteAppServer::login(const QString& protocol,
                                                        const QString& server, const QString& user,
                                                        const QString& password)
{
    const QString scheme = protocol.trimmed().toLower();
    const QUrl url(scheme + QStringLiteral("://") + server.trimmed());
    if ((scheme != QLatin1String("http") && scheme != QLatin1String("https")) || !url.isValid() ||
        url.host().isEmpty() || url.port() <= 0 || !url.path().isEmpty()) {
        throw ModuleError(
            QStringLiteral("El servidor de aplicaciones se indica como equipo:puerto; "
                           "se recibió '%1'")
                .arg(server),
            ModuleError::Kind::Connection);
    }
    std::unique_ptr<RemoteAppServer> remote(new RemoteAppServer);
    remote->d->url = url.toString();
    remote->d->connection = std::make_unique<KeptConnection>(remote->d->url.toStdString());
    httplib::Client& client = remote->d->connection->client();
    client.set_connection_timeout(10, 0);
    if (scheme == QLatin1String("https")) {
        client.enable_server_certificate_verification(true);
        const QByteArray ca = qgetenv("TAVREL_CA_FILE");
        if (!ca.isEmpty())
            client.set_ca_cert_path(ca.constData());
    }
    // The answer holds the session's token.
    const QJsonObject answer = remote->d->post(
        "/v1/login", {{QStringLiteral("user"), user}, {QStringLiteral("password"), password}},
        KeptConnection::Repeat::IfUnanswered, true, false);
    remote->d->token = WireMessages::member(answer, QStringLiteral("token"), QJsonValue::String)
                           .toString()
                           .toStdString();
    remote->d->user = answer.value(QStringLiteral("user")).toString();
    if (const QJsonValue type = answer.value(QStringLiteral("type")); type.isString())
        remote->d->type = type.toString();
    remote->d->salt = QByteArray::number(QRandomGenerator::system()->generate64(), 16);
    remote->d->passwordDigest = Private::digest(remote->d->salt, password);
    for (const QJsonValue& c : answer.value(QStringLiteral("companies")).toArray()) {
        remote->d->companies.append(
            {c[QStringLiteral("code")].toInt(), c[QStringLiteral("name")].toString()});
    }
    return remote;
}

DataPacket RemoteAppServer::open(const QString& provider, const QString& commandText,
                                 const ParamList& params)
{
    return WireMessages::decodePacket(
        d->post("/v1/open", {{QStringLiteral("provider"), provider},
                             {QStringLiteral("commandText"), commandText},
                             {QStringLiteral("params"), WireMessages::encodeParams(params)}}));
}

QList<qint64> RemoteAppServer::applyUpdates(const QString& provider, const Delta& delta)
{
    const QJsonObject answer = d->post("/v1/apply",
                                       {{QStringLiteral("provider"), provider},
                                        {QStringLiteral("rows"), WireMessages::encodeDelta(delta)}},
                                       KeptConnection::Repeat::IfUnsent);
    QList<qint64> keys;
    for (const QJsonValue& key :
         WireMessages::member(answer, QStringLiteral("keys"), QJsonValue::Array).toArray())
        keys.append(WireValue::decodeTyped(key, FieldType::LargeInt).toLongLong());
    return keys;
}

QVariant RemoteAppServer::invoke(const QString& method, QVariantList& args)
{
    const QJsonObject answer =
        d->post("/v1/invoke",
                {{QStringLiteral("method"), method},
                 {QStringLiteral("args"), WireMessages::encodeArguments(args)}},
                // Methods take passwords among arguments the desk chose, and give them back.
                KeptConnection::Repeat::IfUnsent, true, false);
    const QVariantList back = WireMessages::decodeArguments(answer.value(QStringLiteral("args")));
    if (back.size() != args.size())
        WireValue::malformed(QStringLiteral("%1 devolvió %2 argumentos de %3")
                                 .arg(method)
                                 .arg(back.size())
                                 .arg(args.size()));
    args = back;
    return WireValue::decodeTagged(answer.value(QStringLiteral("result")));
}

QList<BatchAnswer> RemoteAppServer::batch(const QList<BatchCall>& calls)
{
    QJsonArray items;
    bool reads = true;
    for (const BatchCall& call : calls) {
        if (call.kind == BatchCall::Kind::Open) {
            items.append(
                QJsonObject{{QStringLiteral("call"), QStringLiteral("open")},
                            {QStringLiteral("provider"), call.name},
                            {QStringLiteral("commandText"), call.commandText},
                            {QStringLiteral("params"), WireMessages::encodeParams(call.params)}});
        } else {
            reads = false;
            items.append(
                QJsonObject{{QStringLiteral("call"), QStringLiteral("invoke")},
                            {QStringLiteral("method"), call.name},
                            {QStringLiteral("args"), WireMessages::encodeArguments(call.args)}});
        }
    }
    // Only reads may reach the server twice; a late-bound call may carry a password
    // beside text the desk chose, so a batch that holds one goes uncompressed, as the call
    // alone does (the server never compresses a batch's answer).
    const QJsonObject answer =
        d->post("/v1/batch", {{QStringLiteral("calls"), items}},
                reads ? KeptConnection::Repeat::IfUnanswered : KeptConnection::Repeat::IfUnsent,
                true, reads);
    const QJsonArray replies =
        WireMessages::member(answer, QStringLiteral("answers"), QJsonValue::Array).toArray();
    if (replies.size() != calls.size())
        WireValue::malformed(QStringLiteral("el lote de %1 llamadas recibió %2 respuestas")
                                 .arg(calls.size())
                                 .arg(replies.size()));
    QList<BatchAnswer> answers;
    for (qsizetype i = 0; i < calls.size(); ++i) {
        if (!replies[i].isObject())
            WireValue::malformed(QStringLiteral("la respuesta %1 del lote no es un objeto").arg(i));
        const QJsonObject reply = replies[i].toObject();
        BatchAnswer one;
        if (reply.contains(QStringLiteral("error"))) {
            one.error = WireMessages::decodeError(reply);
        } else if (calls[i].kind == BatchCall::Kind::Open) {
            one.packet = WireMessages::decodePacket(reply);
        } else {
            one.args = WireMessages::decodeArguments(reply.value(QStringLiteral("args")));
            if (one.args.size() != calls[i].args.size())
                WireValue::malformed(QStringLiteral("%1 devolvió %2 argumentos de %3")
                                         .arg(calls[i].name)
                                         .arg(one.args.size())
                                         .arg(calls[i].args.size()));
            one.result = WireValue::decodeTagged(reply.value(QStringLiteral("result")));
        }
        answers.append(std::move(one));
    }
    return answers;
}

QString RemoteAppServer::description() const
{
    return QStringLiteral("Servidor %1").arg(d->url);
}

std::optional<QString> RemoteAppServer::verifiedLogin(const QString& user,
                                                      const QString& password) const
{
    if (!d->type || d->user.isEmpty() || user.trimmed().toUpper() != d->user ||
        Private::digest(d->salt, password) != d->passwordDigest)
        return std::nullopt;
    return d->type;
}

const QList<RemoteAppServer::Company>& RemoteAppServer::companies() const
{
    return d->companies;
}

void RemoteAppServer::setTimeout(int seconds)
{
    d->timeout = seconds;
}

} // namespace tavrel
