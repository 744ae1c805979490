#pragma once

#include "TavrelRemoteExport.h"

#include "IAppServer.h"

#include <QList>
#include <memory>

namespace tavrel {

// The application server reached over the network (protocols "http" and "https"): each
// call is one request to a tavrel-server process, in the format of docs/protocol.md,
// made with the session token that login() obtained. Calls block until the answer
// arrives, as WaitingCall waits (no user input meanwhile, the busy cursor after a
// moment); the server's errors come back as the same ModuleError, kind and message,
// that the in-process server throws, and a server that cannot be reached, stops
// answering or does not answer in time gives a ModuleError (Connection) that names it.
class TAVREL_REMOTE_EXPORT RemoteAppServer : public IAppServer
{
public:
    struct Company
    {
        int code = 0;
        QString name;
    };

    // `server` is "host:port". Certificates of an https server are verified against the
    // system's authorities, or against the file named by TAVREL_CA_FILE when set.
    // Throws ModuleError: "Usuario o contraseña incorrectos." for a refused login, kind
    // Connection when the server cannot be reached.
    static std::unique_ptr<RemoteAppServer> login(const QString& protocol, const QString& server,
                                                  const QString& user, const QString& password);
    // Ends the session on the server (best effort, waiting two seconds at most).
    ~RemoteAppServer() override;

    DataPacket open(const QString& provider, const QString& commandText,
                    const ParamList& params) override;
    QList<qint64> applyUpdates(const QString& provider, const Delta& delta) override;
    QVariant invoke(const QString& method, QVariantList& args) override;
    // One request to /v1/batch.
    QList<BatchAnswer> batch(const QList<BatchCall>& calls) override;
    // The type the server answered at login, for the user and password logged in with.
    std::optional<QString> verifiedLogin(const QString& user,
                                         const QString& password) const override;
    QString description() const override;

    // The companies the server gives the logged-in user.
    const QList<Company>& companies() const;

    // Seconds a call may wait for its answer before it fails (default 120).
    void setTimeout(int seconds);

private:
    RemoteAppServer();
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel
