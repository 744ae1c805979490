#include "HttpDaemon.h"

#include "AccessLog.h"
#include "BodyCompression.h"
#include "Database.h"
#include "DeskDelta.h"
#include "ErrorReference.h"
#include "GuardedServer.h"
#include "GuardedTlsServer.h"
#include "LocalAppServer.h"
#include "MethodArguments.h"
#include "MetricsListener.h"
#include "ModuleError.h"
#include "NetworkAccess.h"
#include "ProviderRegistry.h"
#include "ReadPolicy.h"
#include "RequestStream.h"
#include "SchemaCatalog.h"
#include "ServerMethodTable.h"
#include "ServerMetrics.h"
#include "SessionStore.h"
#include "StatementPolicy.h"
#include "TlsCredentials.h"
#include "WireMessages.h"
#include "WireValue.h"
#include "WorkerPool.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QScopeGuard>

#include <httplib.h>

#include <sys/socket.h>

#include <atomic>
#include <optional>

namespace tavrel {

namespace {

// What a worker thread keeps between requests: its connection and what the access log
// needs to know about the request in hand.
struct Worker
{
    std::unique_ptr<LocalAppServer> server; // the server role
    std::unique_ptr<LocalAppServer> reader; // the reader role, for the desks' SELECT texts
    std::unique_ptr<SessionStore> sessions;
    int generation = 0; // HttpDaemon::renewConnections() calls when it connected
};

struct RequestNote
{
    QString user;
    QString call;
    QString target;
    QString method;  // a late-bound method's name as ServerMethodTable spells it
    QString address; // the client's
    int rows = 0;
    QElapsedTimer clock;
};

thread_local std::unique_ptr<Worker> tWorker;
thread_local bool tConnectedBefore = false;
thread_local RequestNote tNote;

using Session = SessionStore::Session;
// What a route asks of the request's token: nothing, a session checked before the work,
// or only the token, which the work checks in its own first statement.
enum class Access
{
    Open,
    Session,
    Token,
};
// A route's answer: the compact JSON text of its body.
using Work = std::function<QByteArray(const QJsonObject& body, const Session* session)>;
// Whether a route's answer may go in gzip: not one that holds a secret next to text the
// desk chose (see BodyCompression).
enum class Reply
{
    Plain,
    Compressible,
};

QString text(const QJsonObject& body, const char* name)
{
    return WireMessages::member(body, QLatin1String(name), QJsonValue::String).toString();
}

QByteArray json(const QJsonObject& body)
{
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

void answer(httplib::Response& res, int status, const QByteArray& body)
{
    res.status = status;
    res.set_content(body.constData(), size_t(body.size()), "application/json; charset=utf-8");
}

void answer(httplib::Response& res, int status, const QJsonObject& body)
{
    answer(res, status, json(body));
}

QString bearer(const httplib::Request& req)
{
    const QString header = QString::fromStdString(req.get_header_value("Authorization"));
    return header.startsWith(QLatin1String("Bearer ")) ? header.mid(7).trimmed() : QString();
}

// Every changed row must belong to the session's companies, before and after; the
// server stamps what it vouches for (DeskDelta). A provider without a table to change is
// refused by the apply itself.
Delta deskDelta(const QString& provider, const Delta& delta, const Session& session,
                const QString& user, const std::function<QDateTime()>& serverTime)
{
    const ProviderDef* def = ProviderRegistry::instance().find(provider);
    const TableDef* table = def && !def->mainTable.isEmpty()
                                ? SchemaCatalog::instance().table(def->mainTable)
                                : nullptr;
    if (!table)
        return delta;
    return DeskDelta::prepare(*table, delta, {user, session.companies}, serverTime);
}

// The late-bound method a desk may call over the network, by ServerMethodTable; any other
// name is refused before it reaches the database.
const ServerMethod& networkMethod(const QString& name)
{
    const ServerMethod* method = ServerMethodTable::find(name);
    if (!method || !method->network)
        throw ModuleError(QStringLiteral("El servidor de aplicaciones no atiende por la red el "
                                         "método «%1»")
                              .arg(name));
    return *method;
}

// A method that reads one company's rows answers only for the session's companies.
void requireMethodCompany(const ServerMethod& method, const QVariantList& args,
                          const Session& session)
{
    const int at = method.companyArgument;
    if (at < 0 || at >= args.size())
        return; // a wrong argument count is the method's own refusal
    // Read as the method reads it, so that the company checked is the one it uses.
    const int company = MethodArguments(method.name, args, int(args.size()))
                            .integer(at, QStringLiteral("la empresa"));
    if (!session.companies.contains(company))
        throw ModuleError(QStringLiteral("El usuario %1 no tiene acceso a la empresa %2")
                              .arg(session.user)
                              .arg(company));
}

} // namespace

struct HttpDaemon::Private
{
    DaemonOptions options;
    AccessLog log;
    ServerMetrics metrics;
    std::unique_ptr<httplib::Server> http;
    GuardedTlsServer* tls = nullptr; // http, when it serves TLS
    std::unique_ptr<MetricsListener> metricsListener;
    std::unique_ptr<Database> metricsDatabase; // the scrapes', opened at the first
    std::atomic<int> generation = 0;
    socket_t listening = INVALID_SOCKET;
    bool binding = false;
    WorkerPool* workers = nullptr; // the server's, while it runs

    explicit Private(const DaemonOptions& o) : options(o), log(o.accessLog) {}

    // EjecutarSQL's first argument is the statement followed by its values; the server's
    // own copy of it takes its place.
    void checkStatement(QVariantList& args, const Session& session)
    {
        const QVariantList statement = args.value(0).toList();
        const QString sql = statement.value(0).toString();
        try {
            args[0] = StatementPolicy::resolve(statement, storedUser(session),
                                               [this] { return serverTime(); });
        } catch (const ModuleError& e) {
            log.write(session.user, QStringLiteral("refused"), sql.simplified(), 0, 0, 422);
            throw;
        }
    }

    // EjecutarSQL's error text is the database's own: the desk gets a reference to it.
    static void hideStatementError(QVariantList& args)
    {
        if (tNote.target.compare(QLatin1String("EjecutarSQL"), Qt::CaseInsensitive) == 0 &&
            !args.value(2).toString().isEmpty())
            args[2] = ErrorReference::hidden(args[2].toString(), tNote.user, tNote.call);
    }

    // The session's user code as GN_USUAR keeps it, which the server writes into the
    // audit columns.
    QString storedUser(const Session& session)
    {
        const QVariant code = worker().server->database().queryValue(
            QStringLiteral("SELECT COD_USUA FROM GN_USUAR WHERE UPPER(COD_USUA) = :U"),
            {session.user});
        return code.isValid() ? code.toString().trimmed() : session.user;
    }

    QDateTime serverTime()
    {
        QVariantList none;
        return worker().server->invoke(QStringLiteral("BuscarFechaServidor"), none).toDateTime();
    }

    Worker& worker()
    {
        if (tWorker && tWorker->generation != generation.load())
            tWorker.reset();
        if (!tWorker) {
            if (std::exchange(tConnectedBefore, true))
                metrics.reconnect();
            auto w = std::make_unique<Worker>();
            w->generation = generation.load();
            using Role = NetworkAccess::Role;
            w->server = LocalAppServer::connect(
                options.database, NetworkAccess::sessionSettings(
                                      Role::Server, options.statementTimeout, options.lockTimeout));
            w->reader = LocalAppServer::connect(
                options.reader, NetworkAccess::sessionSettings(Role::Reader, options.readTimeout,
                                                               options.readTimeout));
            NetworkAccess::requireRestricted(w->server->database(), Role::Server);
            NetworkAccess::requireRestricted(w->reader->database(), Role::Reader);
            w->sessions = std::make_unique<SessionStore>(
                w->server->database(), *w->server,
                std::chrono::seconds(std::chrono::minutes(options.idleMinutes)));
            tWorker = std::move(w);
        }
        return *tWorker;
    }

    void serve(const httplib::Request& req, const std::string& content, httplib::Response& res,
               Access access, Reply reply, const Work& work)
    {
        try {
            QJsonObject body;
            if (req.method == "POST") {
                QJsonParseError error;
                const QJsonDocument document =
                    QJsonDocument::fromJson(QByteArray::fromStdString(content), &error);
                if (error.error != QJsonParseError::NoError || !document.isObject())
                    WireValue::malformed(
                        QStringLiteral("el cuerpo de la petición no es un objeto JSON (%1)")
                            .arg(error.error == QJsonParseError::NoError
                                     ? QStringLiteral("otro valor")
                                     : error.errorString()));
                body = document.object();
            }
            Worker& w = worker();
            std::optional<Session> session;
            if (access == Access::Session) {
                // A connection that died while idle shows at the check, before any work
                // was sent.
                w.server->database().onLiveConnection(
                    [&] { session = w.sessions->check(bearer(req)); });
                tNote.user = session->user;
            } else if (access == Access::Token) {
                session = Session{bearer(req), {}, {}};
            }
            answer(res, 200, work(body, session ? &*session : nullptr));
            if (reply == Reply::Compressible)
                compress(req, res);
        } catch (const SessionStore::Denied& e) {
            if (e.status == 401 && tNote.call == QLatin1String("login"))
                metrics.failedLogin();
            answer(res, e.status, WireMessages::encodeError(e));
        } catch (const ModuleError& e) {
            // A lost database connection is opened again by the worker's next request.
            if (e.kind() == ModuleError::Kind::Connection)
                tWorker.reset();
            // A call that failed before its own statement checked the session (tNote.user
            // is set then) is refused for a session that is not valid, whatever else was
            // wrong with it, as the calls checked first are.
            std::optional<SessionStore::Denied> denied;
            if (access == Access::Token && tNote.user.isEmpty() &&
                e.kind() != ModuleError::Kind::Connection)
                denied = deniedSession(req);
            if (denied)
                answer(res, denied->status, WireMessages::encodeError(*denied));
            else
                answer(
                    res, WireMessages::httpStatus(e.kind()),
                    WireMessages::encodeError(ErrorReference::forDesk(e, tNote.user, tNote.call)));
        } catch (const std::exception& e) {
            log.write(tNote.user, QStringLiteral("error"), QString::fromUtf8(e.what()), 0, 0, 500);
            answer(res, 500,
                   WireMessages::encodeError(ModuleError(
                       ErrorReference::hidden(QString::fromUtf8(e.what()), tNote.user, tNote.call),
                       ModuleError::Kind::Server)));
        }
        // Another desk waits for a worker: this desk's next call queues behind it.
        if (workers && workers->waiting() > 0)
            res.set_header("Connection", "close");
    }

    std::optional<SessionStore::Denied> deniedSession(const httplib::Request& req)
    {
        try {
            worker().sessions->check(bearer(req));
        } catch (const SessionStore::Denied& denied) {
            return denied;
        } catch (const ModuleError&) {
            // The first error is the one to report.
        }
        return std::nullopt;
    }

    // A large answer goes in gzip to a desk that takes it.
    static void compress(const httplib::Request& req, httplib::Response& res)
    {
        if (!BodyCompression::worthCompressing(res.body.size()) ||
            !BodyCompression::acceptsGzip(req.get_header_value("Accept-Encoding")))
            return;
        res.body = BodyCompression::gzip(res.body);
        res.set_header("Content-Encoding", "gzip");
    }

    void route(const char* path, const char* call, Access access, Work work)
    {
        route(path, call, access, Reply::Plain, std::move(work));
    }

    void route(const char* path, const char* call, Access access, Reply reply, Work work)
    {
        const auto handler = [this, call, access, reply, work](const httplib::Request& req,
                                                               httplib::Response& res) {
            tNote.call = QLatin1String(call);
            serve(req, req.body, res, access, reply, work);
        };
        if (QByteArray(call) == "health") {
            http->Get(path, handler);
            return;
        }
        http->Post(path, handler); // a POST without a body
        // The library inflates a compressed body (Content-Encoding) as it reads it, and the
        // limit on a body is on what it inflates to, counted piece by piece: a few
        // kilobytes that would inflate to gigabytes are refused at the limit.
        http->Post(path, [this, call, access, reply, work](const httplib::Request& req,
                                                           httplib::Response& res,
                                                           const httplib::ContentReader& reader) {
            tNote.call = QLatin1String(call);
            std::string content;
            bool tooLarge = false;
            const bool whole = reader([&](const char* data, size_t length) {
                tooLarge = content.size() + length > size_t(options.maxBody);
                if (!tooLarge)
                    content.append(data, length);
                return !tooLarge;
            });
            if (whole) {
                serve(req, content, res, access, reply, work);
                return;
            }
            // The error handler words the refusal; the rest of the body is not read, so
            // the connection ends with it.
            res.status = tooLarge ? 413 : 400;
            res.set_header("Connection", "close");
        });
    }

    void routes()
    {
        route("/v1/health", "health", Access::Open, [](const QJsonObject&, const Session*) {
            return json({{QStringLiteral("status"), QStringLiteral("ok")}});
        });
        route("/v1/login", "login", Access::Open, [this](const QJsonObject& body, const Session*) {
            tNote.user = text(body, "user").trimmed().toUpper().left(20);
            const SessionStore::Login login =
                worker().sessions->login(text(body, "user"), text(body, "password"), tNote.address);
            QJsonArray companies;
            for (const SessionStore::Company& c : login.companies)
                companies.append(QJsonObject{{QStringLiteral("code"), c.code},
                                             {QStringLiteral("name"), c.name}});
            tNote.rows = int(companies.size());
            return json({{QStringLiteral("token"), login.token},
                         {QStringLiteral("user"), login.user},
                         {QStringLiteral("type"), login.type},
                         {QStringLiteral("companies"), companies}});
        });
        route("/v1/logout", "logout", Access::Session,
              [this](const QJsonObject&, const Session* session) {
                  worker().sessions->logout(session->token);
                  return json({});
              });
        // The session is checked and bound in the statement before the read, so a read
        // costs the database two round trips, fewer than it does in-process, and a
        // session ended on any server is refused at once.
        const Work open = [this](const QJsonObject& body, const Session* session) {
            tNote.target = text(body, "provider");
            const QString commandText = text(body, "commandText");
            ReadPolicy::check(commandText);
            Worker& w = worker();
            Database& reader = w.reader->database();
            reader.setReadPrelude(
                NetworkAccess::sessionPrelude(session->token, [&](QSqlQuery& row) {
                    tNote.user = row.value(0).toString().trimmed();
                    w.sessions->accept(session->token, tNote.user, row.value(1).toDateTime());
                }));
            // Whatever the read left on the connection (settings, locks, temporary
            // objects) goes before the next desk's; a connection that cannot be
            // reset is not used again.
            const auto unbind = qScopeGuard([&] {
                reader.setReadPrelude({});
                try {
                    reader.resetSession();
                } catch (const ModuleError&) {
                    tWorker.reset();
                }
            });
            const DataPacket packet =
                w.reader->open(tNote.target, commandText,
                               WireMessages::decodeParams(body.value(QStringLiteral("params"))));
            tNote.rows = int(packet.rows.size());
            return WireMessages::writePacket(packet);
        };
        route("/v1/open", "open", Access::Token, Reply::Compressible, open);
        route("/v1/apply", "apply", Access::Session, Reply::Compressible,
              [this](const QJsonObject& body, const Session* session) {
                  tNote.target = text(body, "provider");
                  const Delta delta = deskDelta(
                      tNote.target, WireMessages::decodeDelta(body.value(QStringLiteral("rows"))),
                      *session, storedUser(*session), [this] { return serverTime(); });
                  tNote.rows = int(delta.rows.size());
                  QJsonArray keys;
                  worker().server->setUser(session->user);
                  for (qint64 key : worker().server->applyUpdates(tNote.target, delta))
                      keys.append(key);
                  return json({{QStringLiteral("keys"), keys}});
              });
        const Work invoke = [this](const QJsonObject& body, const Session* session) {
            tNote.target = text(body, "method");
            const ServerMethod& method = networkMethod(tNote.target);
            tNote.method = method.name;
            QVariantList args = WireMessages::decodeArguments(body.value(QStringLiteral("args")));
            requireMethodCompany(method, args, *session);
            if (tNote.target.compare(QLatin1String("EjecutarSQL"), Qt::CaseInsensitive) == 0)
                checkStatement(args, *session);
            worker().server->setUser(session->user);
            // Passwords are checked only where failures are counted.
            const QVariant result =
                tNote.target.compare(QLatin1String("ValidarUsuario"), Qt::CaseInsensitive) == 0
                    ? worker().sessions->validate(args, session->user)
                    : worker().server->invoke(tNote.target, args);
            hideStatementError(args);
            return json({{QStringLiteral("result"), WireValue::encodeTagged(result)},
                         {QStringLiteral("args"), WireMessages::encodeArguments(args)}});
        };
        route("/v1/invoke", "invoke", Access::Session, invoke);
        // Several opens and late-bound calls in one request, each checked and run as its
        // single call is, in order; each answers with its own body or error.
        route("/v1/batch", "batch", Access::Session,
              [open, invoke](const QJsonObject& body, const Session* session) {
                  return batch(body, session, open, invoke);
              });
    }

    // Sessions not yet expired, of every server on the database; none when the database
    // cannot say. Only the metrics thread asks.
    std::optional<qint64> sessionsOpen()
    {
        try {
            if (!metricsDatabase)
                metricsDatabase = Database::open(options.database);
            return metricsDatabase
                ->queryValue(QStringLiteral("SELECT COUNT(*) FROM TVL_SESION WHERE FEC_USO >= :L"),
                             {QDateTime::currentDateTime().addSecs(-60 * options.idleMinutes)})
                .toLongLong();
        } catch (const ModuleError& e) {
            metricsDatabase.reset();
            log.write({}, QStringLiteral("metrics"), e.message(), 0, 0, 500);
            return std::nullopt;
        }
    }

    static QByteArray batch(const QJsonObject& body, const Session* session, const Work& open,
                            const Work& invoke)
    {
        const QJsonArray calls =
            WireMessages::member(body, QStringLiteral("calls"), QJsonValue::Array).toArray();
        if (calls.isEmpty() || calls.size() > MaxBatchCalls)
            throw ModuleError(QStringLiteral("Un lote lleva de 1 a %1 llamadas; este trae %2")
                                  .arg(MaxBatchCalls)
                                  .arg(calls.size()),
                              ModuleError::Kind::Conversion);
        // The whole batch is read before any of it runs.
        QList<const Work*> works;
        for (const QJsonValue& call : calls) {
            const QString kind = call.isObject() ? text(call.toObject(), "call") : QString();
            if (kind != QLatin1String("open") && kind != QLatin1String("invoke"))
                WireValue::malformed(
                    QStringLiteral("una llamada del lote no es «open» ni «invoke»"));
            works.append(kind == QLatin1String("open") ? &open : &invoke);
        }
        QByteArray answers = "{\"answers\":[";
        QStringList targets;
        int rows = 0;
        for (qsizetype i = 0; i < calls.size(); ++i) {
            tNote.target.clear();
            tNote.rows = 0;
            if (i > 0)
                answers += ',';
            try {
                answers += (*works[i])(calls[i].toObject(), session);
            } catch (const SessionStore::Denied&) {
                throw; // the session ended meanwhile: the batch is refused as a call is
            } catch (const ModuleError& e) {
                // A lost database fails the whole batch, as it fails a single call.
                if (e.kind() == ModuleError::Kind::Connection)
                    throw;
                answers += json(
                    WireMessages::encodeError(ErrorReference::forDesk(e, tNote.user, tNote.call)));
            }
            targets.append(tNote.target);
            rows += tNote.rows;
        }
        tNote.target = targets.join(QLatin1Char(','));
        tNote.method.clear();
        tNote.rows = rows;
        return answers + "]}";
    }
};

HttpDaemon::HttpDaemon(const DaemonOptions& options) : d(std::make_unique<Private>(options))
{
    ConnectionLimits limits;
    limits.requestTime = std::chrono::seconds(options.requestSeconds);
    // Headers and chunk framing, beside the body the library checks by its length.
    limits.maxRequestBytes = size_t(options.maxBody) + 64 * 1024;
    limits.perAddress = options.connectionsPerAddress();
    limits.keepAliveCalls = KeepAliveCalls;
    limits.keepAlive = std::chrono::seconds(KeepAliveSeconds);
    if (options.tls()) {
        auto server = std::make_unique<GuardedTlsServer>(
            TlsCredentials::serverContext(options.tlsCert, options.tlsKey), limits);
        d->tls = server.get();
        d->http = std::move(server);
    } else {
        d->http = std::make_unique<GuardedServer>(limits);
    }
    d->http->new_task_queue = [this] {
        d->workers = new WorkerPool(d->options.workers);
        return d->workers;
    };
    d->http->set_payload_max_length(size_t(options.maxBody));
    // Answers are small: without this, Nagle and delayed ACKs add 40 ms to each call.
    d->http->set_tcp_nodelay(true);
    // A desk's calls come in bursts (a window reads its rows and lookups one after the
    // other), so its connection stays open for the next call of the burst: a new one costs
    // the handshake and, on another worker, binding the session anew. A worker serves one
    // connection at a time, so an idle one is let go after a second, a busy one after a
    // few calls, and any after its current call while another desk waits for a worker.
    // The desk's side closes a kept connection itself before the server would (see the
    // Keep-Alive header) and sends a read again when a closing connection lost it.
    d->http->set_keep_alive_max_count(KeepAliveCalls);
    d->http->set_keep_alive_timeout(KeepAliveSeconds);
    d->http->set_socket_options([this](socket_t sock) {
        httplib::default_socket_options(sock);
        if (d->binding)
            d->listening = sock;
    });
    d->http->set_pre_routing_handler([](const httplib::Request& req, httplib::Response&) {
        tNote = RequestNote();
        tNote.address = QString::fromStdString(req.remote_addr);
        tNote.clock.start();
        return httplib::Server::HandlerResponse::Unhandled;
    });
    d->http->set_error_handler([this](const httplib::Request& req, httplib::Response& res) {
        if (!res.body.empty())
            return;
        // A request cut short by its limits reads as a broken one to the library.
        if (RequestStream::refusal() != RequestStream::Refusal::None)
            res.status = RequestStream::refusal() == RequestStream::Refusal::Late ? 408 : 413;
        const QString message =
            res.status == 413 ? QStringLiteral("La petición supera el tamaño máximo de %1 bytes")
                                    .arg(d->options.maxBody)
            : res.status == 408 ? QStringLiteral("La petición no llegó completa en %1 segundos")
                                      .arg(d->options.requestSeconds)
            : res.status == 404
                ? QStringLiteral("El servidor no atiende %1 %2")
                      .arg(QString::fromStdString(req.method), QString::fromStdString(req.path))
                : QStringLiteral("Petición rechazada (HTTP %1)").arg(res.status);
        answer(res, res.status,
               WireMessages::encodeError(ModuleError(message, ModuleError::Kind::Conversion)));
    });
    d->http->set_logger([this](const httplib::Request& req, const httplib::Response& res) {
        const QString call = tNote.call.isEmpty() ? QString::fromStdString(req.path) : tNote.call;
        const qint64 elapsed = tNote.clock.isValid() ? tNote.clock.nsecsElapsed() : 0;
        d->log.write(tNote.user, call, tNote.target, tNote.rows, elapsed / 1000000, res.status);
        d->metrics.request(tNote.call, tNote.method, res.status, double(elapsed) / 1e9,
                           qint64(req.body.size()), qint64(res.body.size()));
        // A request refused before routing (400, 414) never reaches the pre-routing
        // handler: it must not be logged as the one before it.
        tNote = RequestNote();
    });
    d->routes();
}

HttpDaemon::~HttpDaemon() = default;

int HttpDaemon::bind()
{
    const std::string host = d->options.host.toStdString();
    d->binding = true;
    const int port = d->options.port == 0
                         ? d->http->bind_to_any_port(host)
                         : (d->http->bind_to_port(host, d->options.port) ? d->options.port : -1);
    d->binding = false;
    // The library listens with a backlog of 5. Desks open connections in bursts (every
    // few calls, see KeepAliveCalls), and a connection the full backlog turns away is
    // tried again by the desk's system only a second later, then three.
    if (port > 0 && d->listening != INVALID_SOCKET)
        ::listen(d->listening, SOMAXCONN);
    if (port <= 0)
        throw ModuleError(QStringLiteral("No se puede escuchar en %1:%2")
                              .arg(d->options.host)
                              .arg(d->options.port),
                          ModuleError::Kind::Connection);
    return port;
}

void HttpDaemon::run()
{
    d->http->listen_after_bind();
}

void HttpDaemon::stop()
{
    // Before the workers go: a scrape reads them.
    if (d->metricsListener)
        d->metricsListener->stop();
    d->http->stop();
}

void HttpDaemon::renewConnections()
{
    ++d->generation;
}

void HttpDaemon::reloadCertificate()
{
    if (d->tls)
        d->tls->setContext(TlsCredentials::serverContext(d->options.tlsCert, d->options.tlsKey));
}

void HttpDaemon::reopenAccessLog()
{
    d->log.reopen();
}

int HttpDaemon::startMetrics()
{
    if (!d->options.metrics())
        return 0;
    d->metricsListener = std::make_unique<MetricsListener>([this] {
        ServerMetrics::Gauges gauges;
        gauges.sessionsOpen = d->sessionsOpen();
        gauges.workers = d->options.workers;
        gauges.workersBusy = d->workers ? d->workers->busy() : 0;
        return d->metrics.render(gauges);
    });
    return d->metricsListener->start(d->options.metricsHost, d->options.metricsPort);
}

} // namespace tavrel
