#include "TestDatabase.h"

#include "DaemonProcess.h"
#include "Database.h"
#include "DemoData.h"
#include "LocalAppServer.h"
#include "ModuleError.h"
#include "RemoteAppServer.h"
#include "SchemaInstaller.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QSqlRecord>
#include <QUrl>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace tavrel::test {

namespace {

QString uniqueDatabaseName(const QString& role)
{
    static QAtomicInteger<int> counter;
    QString app = QCoreApplication::applicationName().toLower();
    app.replace(QRegularExpression(u"[^a-z0-9]"_s), u"_"_s);
    return u"tvl_%1_%2_%3_%4"_s.arg(role, app.left(30))
        .arg(QCoreApplication::applicationPid())
        .arg(counter.fetchAndAddRelaxed(1));
}

QString urlOfDatabase(const QString& adminUrl, const QString& name)
{
    QUrl url(adminUrl);
    url.setPath(QLatin1Char('/') + name);
    return url.toString();
}

// The demo data with the odd rows that a real entity should not show a new user but
// the tests must handle: a relation row of company 1 without concept, account or
// related code.
// The demo users' hashes get a thousand iterations instead of the full work factor, so
// that building the demo costs tests no seconds; each hash carries its count, and the
// first login of a user raises it to the full factor, as it would an old database's.
constexpr int demoPasswordIterations = 1000;

void createTestData(Database& db)
{
    DemoData::create(db, demoPasswordIterations);
    db.exec(QStringLiteral("INSERT INTO NM_RPCOS (ACT_USUA, ACT_HORA, ACT_ESTA, COD_EMPR, "
                           "COD_FUEN, COD_PRES, COD_SITU, DEP_APAC, VAL_TOTA, VAL_CAUS) VALUES "
                           "('JPEREZ', :HORA, 'A', 1, '02', 15, '02', '', 1000000, 250000)"),
            {QDateTime(QDate(2014, 1, 24), QTime(8, 30))});
}

// Building the schema and the demo data costs more than copying a finished database, so
// each test process builds the demo once into a template database and clones it for
// every test that asks for demo data. The template is dropped when the application ends.
struct DemoTemplate
{
    QString adminUrl;
    QString name;
    std::unique_ptr<Database> adminDb; // one administrative connection per process
    std::unique_ptr<QTemporaryDir> sqliteDir;

    QString sqliteFile()
    {
        if (!sqliteDir) {
            auto dir = std::make_unique<QTemporaryDir>();
            const QString file = dir->filePath(u"demo.sqlite"_s);
            {
                std::unique_ptr<Database> db =
                    Database::open(file, Database::OpenMode::CreateSqliteFile);
                SchemaInstaller::install(*db);
                createTestData(*db);
            }
            sqliteDir = std::move(dir);
        }
        return sqliteDir->filePath(u"demo.sqlite"_s);
    }

    static DemoTemplate& instance()
    {
        static DemoTemplate t;
        return t;
    }

    static void drop()
    {
        DemoTemplate& t = instance();
        if (!t.name.isEmpty()) {
            try {
                t.admin(t.adminUrl).exec(u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(t.name));
            } catch (const ModuleError& e) {
                qWarning("could not drop template database %s: %s", qPrintable(t.name), e.what());
            }
            t.name.clear();
        }
        t.adminDb.reset();
    }

    Database& admin(const QString& url)
    {
        if (!adminDb || url != adminUrl) {
            adminDb = Database::open(url);
            adminUrl = url;
            static bool registered = false;
            if (!registered) {
                // With an application the drop runs while it is being destroyed; tests
                // without one drop it at exit.
                if (QCoreApplication::instance())
                    qAddPostRoutine(&DemoTemplate::drop);
                else
                    std::atexit(&DemoTemplate::drop);
                registered = true;
            }
        }
        return *adminDb;
    }

    QString postgresName(const QString& admin)
    {
        if (!name.isEmpty() && adminUrl == admin)
            return name;
        const QString candidate = uniqueDatabaseName(u"tpl"_s);
        this->admin(admin).exec(u"CREATE DATABASE %1"_s.arg(candidate));
        name = candidate;
        std::unique_ptr<Database> db = Database::open(urlOfDatabase(adminUrl, name));
        SchemaInstaller::install(*db);
        createTestData(*db);
        return name;
    }
};

// The remote run's tavrel-server, started at the first login, and the one demo database
// name it serves. The server's roles are named after that database and have their
// rights in it, so a served database is cloned from a template that was built under the
// served name, given the roles and then renamed. Each time the database is made anew the
// server's workers connect again.
struct ServedDatabase
{
    QString name;
    QString copy;      // the template
    QStringList roles; // --database and --reader of the server
    std::unique_ptr<DaemonProcess> daemon;
    bool inUse = false;

    static ServedDatabase& instance()
    {
        static ServedDatabase s;
        return s;
    }

    QString acquire(const QString& adminUrl)
    {
        Database& admin = DemoTemplate::instance().admin(adminUrl);
        if (name.isEmpty()) {
            name = uniqueDatabaseName(u"srv"_s);
            if (QCoreApplication::instance())
                qAddPostRoutine(&ServedDatabase::drop);
            else
                std::atexit(&ServedDatabase::drop);
        }
        if (copy.isEmpty()) {
            admin.exec(u"CREATE DATABASE %1"_s.arg(name));
            {
                std::unique_ptr<Database> db = Database::open(urlOfDatabase(adminUrl, name));
                SchemaInstaller::install(*db);
                createTestData(*db);
            }
            QString errors;
            roles = DaemonProcess::installRoles(urlOfDatabase(adminUrl, name), &errors);
            copy = uniqueDatabaseName(u"stp"_s);
            admin.exec(u"ALTER DATABASE %1 RENAME TO %2"_s.arg(name, copy));
            if (roles.isEmpty())
                throw ModuleError(u"could not make the server's roles: "_s + errors);
        }
        admin.exec(u"CREATE DATABASE %1 TEMPLATE %2"_s.arg(name, copy));
        // A copy takes the template's contents, not its rights: temporary objects are
        // revoked again, as --install-roles revoked them on the template.
        admin.exec(u"REVOKE TEMPORARY ON DATABASE %1 FROM PUBLIC"_s.arg(name));
        inUse = true;
        if (daemon && !daemon->renewConnections())
            daemon.reset();
        return name;
    }

    void release(const QString& adminUrl)
    {
        DemoTemplate::instance().admin(adminUrl).exec(
            u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(name));
        inUse = false;
    }

    // The server's host:port, starting it when it does not run.
    QString address()
    {
        if (!daemon) {
            daemon = std::make_unique<DaemonProcess>(roles);
            if (!daemon->started()) {
                const QString errors = daemon->errors();
                daemon.reset();
                throw ModuleError(u"tavrel-server did not start: "_s + errors);
            }
        }
        return daemon->address();
    }

    static void drop()
    {
        ServedDatabase& s = instance();
        s.daemon.reset();
        try {
            Database& admin = DemoTemplate::instance().admin(DemoTemplate::instance().adminUrl);
            if (!s.copy.isEmpty())
                admin.exec(u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(s.copy));
            admin.exec(u"DROP ROLE IF EXISTS %1_servidor, %1_lector"_s.arg(s.name));
        } catch (const ModuleError& e) {
            qWarning("could not drop the served template: %s", e.what());
        }
        s.copy.clear();
    }
};

} // namespace

QString TestDatabase::engine()
{
    const QString value = qEnvironmentVariable("TAVREL_TEST_ENGINE").trimmed().toLower();
    return value.isEmpty() ? u"sqlite"_s : value;
}

bool TestDatabase::postgresUnavailable()
{
    return isPostgres() && qEnvironmentVariable("TAVREL_TEST_PG").trimmed().isEmpty();
}

TestDatabase::TestDatabase(Content content, const QString& engineName)
{
    if (engineName != u"postgres"_s && engineName != u"remote"_s) {
        m_url = m_dir.filePath(u"test.sqlite"_s);
        if (content == Content::Demo) {
            if (!QFile::copy(DemoTemplate::instance().sqliteFile(), m_url))
                throw ModuleError(u"could not copy the demo database to %1"_s.arg(m_url));
            QFile(m_url).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        } else if (content == Content::Schema) {
            SchemaInstaller::install(database());
        }
        return;
    }
    m_adminUrl = qEnvironmentVariable("TAVREL_TEST_PG").trimmed();
    if (m_adminUrl.isEmpty())
        throw ModuleError(u"TAVREL_TEST_PG is not set"_s, ModuleError::Kind::Connection);
    if (engineName == u"remote"_s && content == Content::Demo &&
        !ServedDatabase::instance().inUse) {
        m_pgName = ServedDatabase::instance().acquire(m_adminUrl);
        m_url = urlOfDatabase(m_adminUrl, m_pgName);
        m_served = true;
        return;
    }
    m_pgName = uniqueDatabaseName(u"test"_s);
    const QString source =
        content == Content::Demo ? DemoTemplate::instance().postgresName(m_adminUrl) : QString();
    DemoTemplate::instance()
        .admin(m_adminUrl)
        .exec(source.isEmpty() ? u"CREATE DATABASE %1"_s.arg(m_pgName)
                               : u"CREATE DATABASE %1 TEMPLATE %2"_s.arg(m_pgName, source));
    m_url = urlOfDatabase(m_adminUrl, m_pgName);
    if (content == Content::Schema)
        SchemaInstaller::install(database());
}

TestDatabase::~TestDatabase()
{
    m_db.reset();
    if (m_pgName.isEmpty())
        return;
    try {
        if (m_served) {
            ServedDatabase::instance().release(m_adminUrl);
            return;
        }
        Database& admin = DemoTemplate::instance().admin(m_adminUrl);
        admin.exec(u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(m_pgName));
        // The network server's roles, when a test made them.
        admin.exec(u"DROP ROLE IF EXISTS %1_servidor, %1_lector"_s.arg(m_pgName));
    } catch (const ModuleError& e) {
        qWarning("could not drop test database %s: %s", qPrintable(m_pgName), e.what());
    }
}

QString TestDatabase::protocol() const
{
    return m_served ? u"http"_s : u"local"_s;
}

QString TestDatabase::server()
{
    return m_served ? ServedDatabase::instance().address() : m_url;
}

QStringList TestDatabase::hostOptions()
{
    return {u"--protocol"_s, protocol(), u"--server"_s, server()};
}

std::unique_ptr<IAppServer> TestDatabase::appServer(const QString& user, const QString& password)
{
    if (!m_served)
        return LocalAppServer::connect(m_url);
    return RemoteAppServer::login(protocol(), server(), user, password);
}

Database& TestDatabase::database()
{
    if (!m_db)
        m_db = Database::open(m_url, Database::OpenMode::CreateSqliteFile);
    return *m_db;
}

void TestDatabase::disconnect()
{
    m_db.reset();
}

void TestDatabase::exec(const QString& sql, const QVariantList& params)
{
    database().exec(sql, params);
}

QVariant TestDatabase::queryValue(const QString& sql, const QVariantList& params)
{
    return database().queryValue(sql, params);
}

QList<QVariantList> TestDatabase::queryRows(const QString& sql, const QVariantList& params)
{
    QList<QVariantList> rows;
    QSqlQuery query = database().exec(sql, params);
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i)
            row.append(query.value(i));
        rows.append(row);
    }
    return rows;
}

} // namespace tavrel::test
