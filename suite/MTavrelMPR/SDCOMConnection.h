#pragma once

#include "IAppServer.h"
#include "MTavrelMPRExport.h"
#include "NameListCache.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

// The connection of a module's datasets to the application server.
//
// open() asks the session services' connectServer for a server for Protocol ("local"
// when empty) and Database; the host decides what serves each protocol. Tests and
// embedders may hand a server over with setAppServer().
// Datasets connect their connection when they open.
class MTAVRELMPR_EXPORT SDCOMConnection : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString ServerGUID READ serverGUID WRITE setServerGUID)
    Q_PROPERTY(QString ServerName READ serverName WRITE setServerName)
    Q_PROPERTY(QString Protocol READ protocol WRITE setProtocol)
    Q_PROPERTY(QString Database READ database WRITE setDatabase)
    Q_PROPERTY(bool Connected READ connected WRITE setConnected NOTIFY connectedChanged)

public:
    explicit SDCOMConnection(QObject* parent = nullptr);
    ~SDCOMConnection() override;

    QString serverGUID() const;
    void setServerGUID(const QString& guid);
    QString serverName() const;
    void setServerName(const QString& name);
    QString protocol() const;
    void setProtocol(const QString& protocol);
    QString database() const;
    void setDatabase(const QString& database);

    bool connected() const;
    void setConnected(bool connected);
    // Connects through connectServer; nothing happens when already connected.
    // Throws ModuleError (Connection) when there is none or it fails.
    void open();
    void close();

    // The server; connected from here on.
    void setAppServer(std::shared_ptr<tavrel::IAppServer> server);
    // Throws ModuleError (Connection) when not connected. Whoever asks for it is about
    // to call the server: the answers prefetch() kept and nobody took are dropped, so
    // that none is older than a call made after it.
    tavrel::IAppServer* appServer();

    // Sends the calls to the server in one batch and keeps their answers: the next open
    // of a dataset or invoke() on this connection that asks exactly one of them takes
    // its answer, or throws its error, instead of calling the server. When the batch
    // itself fails, its error is kept as the answer of each call.
    void prefetch(const QList<tavrel::BatchCall>& calls);
    // The kept answer to `call`, taken out; none when no prefetch holds one.
    std::optional<tavrel::BatchAnswer> takeAnswer(const tavrel::BatchCall& call);
    // The rows of an open: a kept answer, or the server's.
    tavrel::DataPacket openProvider(const QString& provider, const QString& commandText,
                                    const tavrel::ParamList& params);

    // The name lists read through this connection (see SClientDataSet::setNameList);
    // emptied when the connection closes or changes server.
    tavrel::NameListCache& nameLists();

    // The server's verifiedLogin(); nothing while not connected. Asks the server nothing.
    std::optional<QString> verifiedLogin(const QString& user, const QString& password) const;

    // Late-bound call on the server; the callee may write into args.
    QVariant invoke(const QString& method, QVariantList& args);

signals:
    void connectedChanged(bool connected);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
