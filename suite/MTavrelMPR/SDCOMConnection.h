#pragma once

#include "IAppServer.h"
#include "MTavrelMPRExport.h"
#include "NameListCache.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>

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
    // Throws ModuleError (Connection) when not connected.
    tavrel::IAppServer* appServer() const;

    // The name lists read through this connection (see SClientDataSet::setNameList);
    // emptied when the connection closes or changes server.
    tavrel::NameListCache& nameLists();

    // Late-bound call on the server; the callee may write into args.
    QVariant invoke(const QString& method, QVariantList& args);

signals:
    void connectedChanged(bool connected);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
