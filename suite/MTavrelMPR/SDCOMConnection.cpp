#include "SDCOMConnection.h"

#include "ComponentLog.h"
#include "ModuleError.h"
#include "SessionServices.h"

#include <QElapsedTimer>

struct SDCOMConnection::Private
{
    QString serverGUID;
    QString serverName;
    QString protocol;
    QString database;
    std::shared_ptr<tavrel::IAppServer> server;
    tavrel::NameListCache nameLists;
    QList<std::pair<tavrel::BatchCall, tavrel::BatchAnswer>> kept; // by prefetch()
};

SDCOMConnection::SDCOMConnection(QObject* parent) : QObject(parent), d(std::make_unique<Private>())
{}

SDCOMConnection::~SDCOMConnection() = default;

QString SDCOMConnection::serverGUID() const
{
    return d->serverGUID;
}

void SDCOMConnection::setServerGUID(const QString& guid)
{
    d->serverGUID = guid;
}

QString SDCOMConnection::serverName() const
{
    return d->serverName;
}

void SDCOMConnection::setServerName(const QString& name)
{
    d->serverName = name;
}

QString SDCOMConnection::protocol() const
{
    return d->protocol;
}

void SDCOMConnection::setProtocol(const QString& protocol)
{
    d->protocol = protocol;
}

QString SDCOMConnection::database() const
{
    return d->database;
}

void SDCOMConnection::setDatabase(const QString& database)
{
    d->database = database;
}

bool SDCOMConnection::connected() const
{
    return d->server != nullptr;
}

void SDCOMConnection::setConnected(bool connected)
{
    if (connected)
        open();
    else
        close();
}

void SDCOMConnection::open()
{
    if (d->server)
        return;
    const QString protocol = d->protocol.isEmpty() ? QStringLiteral("local") : d->protocol;
    const auto connectServer = tavrel::SessionServices::current().connectServer;
    if (!connectServer) {
        throw tavrel::ModuleError(
            QStringLiteral("No hay un servidor de aplicaciones disponible para el protocolo '%1'")
                .arg(protocol),
            tavrel::ModuleError::Kind::Connection);
    }
    std::shared_ptr<tavrel::IAppServer> server = connectServer(protocol, d->database);
    if (!server) {
        throw tavrel::ModuleError(QStringLiteral("No fue posible conectar con el servidor '%1' "
                                                 "(protocolo '%2')")
                                      .arg(d->database, protocol),
                                  tavrel::ModuleError::Kind::Connection);
    }
    qCDebug(lcConnection) << objectName() << "connected to" << server->description() << "over"
                          << protocol;
    setAppServer(std::move(server));
}

void SDCOMConnection::close()
{
    if (!d->server)
        return;
    d->server.reset();
    d->nameLists.clear();
    d->kept.clear();
    qCDebug(lcConnection) << objectName() << "closed";
    emit connectedChanged(false);
}

void SDCOMConnection::setAppServer(std::shared_ptr<tavrel::IAppServer> server)
{
    const bool was = connected();
    d->server = std::move(server);
    d->nameLists.clear();
    d->kept.clear();
    if (was != connected())
        emit connectedChanged(connected());
}

tavrel::IAppServer* SDCOMConnection::appServer()
{
    d->kept.clear();
    if (!d->server) {
        throw tavrel::ModuleError(
            QStringLiteral("La conexión '%1' con el servidor de aplicaciones no está abierta")
                .arg(objectName()),
            tavrel::ModuleError::Kind::Connection);
    }
    return d->server.get();
}

std::optional<QString> SDCOMConnection::verifiedLogin(const QString& user,
                                                      const QString& password) const
{
    return d->server ? d->server->verifiedLogin(user, password) : std::nullopt;
}

tavrel::NameListCache& SDCOMConnection::nameLists()
{
    return d->nameLists;
}

void SDCOMConnection::prefetch(const QList<tavrel::BatchCall>& calls)
{
    open();
    QList<tavrel::BatchAnswer> answers;
    try {
        answers = appServer()->batch(calls);
    } catch (const tavrel::ModuleError& e) {
        for (qsizetype i = 0; i < calls.size(); ++i)
            answers.append({{}, {}, {}, e});
    }
    qCDebug(lcConnection) << objectName() << "prefetched" << calls.size() << "calls";
    for (qsizetype i = 0; i < calls.size() && i < answers.size(); ++i)
        d->kept.append({calls[i], std::move(answers[i])});
}

std::optional<tavrel::BatchAnswer> SDCOMConnection::takeAnswer(const tavrel::BatchCall& call)
{
    for (qsizetype i = 0; i < d->kept.size(); ++i) {
        if (d->kept[i].first.sameAs(call)) {
            tavrel::BatchAnswer answer = std::move(d->kept[i].second);
            d->kept.removeAt(i);
            return answer;
        }
    }
    return std::nullopt;
}

tavrel::DataPacket SDCOMConnection::openProvider(const QString& provider,
                                                 const QString& commandText,
                                                 const tavrel::ParamList& params)
{
    if (auto answer = takeAnswer(tavrel::BatchCall::open(provider, commandText, params))) {
        if (answer->error)
            throw *answer->error;
        return std::move(answer->packet);
    }
    return appServer()->open(provider, commandText, params);
}

QVariant SDCOMConnection::invoke(const QString& method, QVariantList& args)
{
    if (auto answer = takeAnswer(tavrel::BatchCall::invoke(method, args))) {
        if (answer->error)
            throw *answer->error;
        args = answer->args;
        return answer->result;
    }
    QElapsedTimer clock;
    clock.start();
    QVariant result = appServer()->invoke(method, args);
    qCDebug(lcConnection) << objectName() << "called" << method << "in" << clock.elapsed() << "ms";
    return result;
}
