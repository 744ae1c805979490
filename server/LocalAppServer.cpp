#include "LocalAppServer.h"

#include "Database.h"
#include "ModuleError.h"
#include "PacketBuilder.h"
#include "ProviderRegistry.h"
#include "SchemaCatalog.h"
#include "ServerLog.h"
#include "ServerMethods.h"
#include "SqlText.h"
#include "UpdateApplier.h"

#include <QElapsedTimer>

namespace tavrel {

namespace {

const ProviderDef& providerNamed(const QString& name)
{
    const ProviderDef* provider = ProviderRegistry::instance().find(name);
    if (!provider)
        throw ModuleError(
            QStringLiteral("El servidor de aplicaciones no tiene el proveedor «%1»").arg(name));
    return *provider;
}

void requireSingleSelect(const ProviderDef& provider, const QString& sql)
{
    switch (SqlText::checkSingleSelect(sql)) {
    case SqlText::ReadCheck::SingleSelect:
        return;
    case SqlText::ReadCheck::Empty:
        throw ModuleError(
            QStringLiteral("El proveedor %1 recibió una consulta vacía").arg(provider.name));
    case SqlText::ReadCheck::Several:
        throw ModuleError(QStringLiteral("El proveedor %1 ejecuta una sola consulta SELECT; se "
                                         "rechazó un texto con varias sentencias: «%2»")
                              .arg(provider.name, SqlText::excerpt(sql)));
    case SqlText::ReadCheck::NotSelect:
        throw ModuleError(QStringLiteral("El proveedor %1 solo ejecuta consultas SELECT; los "
                                         "cambios de datos van por EjecutarSQL. Se rechazó: «%2»")
                              .arg(provider.name, SqlText::excerpt(sql)));
    }
}

// The values of the text's markers, in the order of their first appearance.
QVariantList markerValues(const ProviderDef& provider, const QString& sql, const ParamList& params)
{
    QVariantList values;
    for (const QString& name : SqlText::parseMarkers(sql).distinct) {
        const Param* found = nullptr;
        for (const Param& p : params) {
            if (p.name.compare(name, Qt::CaseInsensitive) == 0) {
                found = &p;
                break;
            }
        }
        if (!found)
            throw ModuleError(QStringLiteral("Falta el valor del parámetro %1 de la consulta del "
                                             "proveedor %2")
                                  .arg(name, provider.name));
        try {
            values.append(coerce(found->value, found->type));
        } catch (const ModuleError& e) {
            throw ModuleError(QStringLiteral("Parámetro %1: %2").arg(name, e.message()), e.kind());
        }
    }
    return values;
}

void requireSchema(Database& db)
{
    const int version = SchemaCatalog::installedVersion(db);
    const QString server = db.location().serverName();
    if (version < 0)
        throw ModuleError(QStringLiteral("La base de datos %1 no tiene las tablas del sistema; "
                                         "créelas con «tavrel init-db --database %1»")
                              .arg(server),
                          ModuleError::Kind::Connection);
    if (version != SchemaCatalog::version)
        throw ModuleError(QStringLiteral("La base de datos %1 tiene la versión %2 del esquema y "
                                         "este programa espera la versión %3%4")
                              .arg(server)
                              .arg(version)
                              .arg(SchemaCatalog::version)
                              .arg(version < SchemaCatalog::version
                                       ? QStringLiteral("; actualícela, sin perder sus datos, "
                                                        "con «tavrel init-db --upgrade "
                                                        "--database %1»")
                                             .arg(server)
                                       : QString()),
                          ModuleError::Kind::Connection);
}

} // namespace

struct LocalAppServer::Private
{
    std::unique_ptr<Database> db;
    ServerMethods methods;
    QString user;

    explicit Private(std::unique_ptr<Database> database) : db(std::move(database)), methods(*db) {}
};

LocalAppServer::LocalAppServer(std::unique_ptr<Database> db)
    : d(std::make_unique<Private>(std::move(db)))
{}

LocalAppServer::~LocalAppServer() = default;

std::unique_ptr<LocalAppServer> LocalAppServer::connect(const QString& database,
                                                        const SqlDialect::SessionSettings& settings)
{
    std::unique_ptr<Database> db = Database::open(database, Database::OpenMode::Existing, settings);
    requireSchema(*db);
    return std::unique_ptr<LocalAppServer>(new LocalAppServer(std::move(db)));
}

void LocalAppServer::setUser(const QString& user)
{
    d->user = user.trimmed().toUpper();
    d->methods.setUser(d->user);
}

Database& LocalAppServer::database()
{
    return *d->db;
}

DataPacket LocalAppServer::open(const QString& provider, const QString& commandText,
                                const ParamList& params)
{
    QElapsedTimer clock;
    clock.start();
    const ProviderDef& def = providerNamed(provider);
    requireSingleSelect(def, commandText);
    const QVariantList values = markerValues(def, commandText, params);
    DataPacket packet;
    d->db->readOnly(commandText, values, [&](QSqlQuery& query) {
        packet = PacketBuilder::build(query, d->db->dialect());
    });
    qCDebug(lcServer) << "open" << provider << packet.rows.size() << "rows in" << clock.elapsed()
                      << "ms";
    return packet;
}

QList<qint64> LocalAppServer::applyUpdates(const QString& provider, const Delta& delta)
{
    const ProviderDef& def = providerNamed(provider);
    if (def.mainTable.isEmpty())
        throw ModuleError(QStringLiteral("El proveedor %1 es de solo consulta: no tiene tabla "
                                         "principal que reciba cambios")
                              .arg(def.name));
    const TableDef* table = SchemaCatalog::instance().table(def.mainTable);
    Q_ASSERT(table);
    QElapsedTimer clock;
    clock.start();
    QList<qint64> keys = UpdateApplier::apply(*d->db, *table, delta, d->user);
    qCDebug(lcServer) << "apply" << provider << delta.rows.size() << "changes in" << clock.elapsed()
                      << "ms";
    return keys;
}

QVariant LocalAppServer::invoke(const QString& method, QVariantList& args)
{
    QElapsedTimer clock;
    clock.start();
    QVariant result = d->methods.invoke(method, args);
    qCDebug(lcServer) << "invoke" << method << "in" << clock.elapsed() << "ms";
    return result;
}

QString LocalAppServer::description() const
{
    return d->db->location().description();
}

} // namespace tavrel
