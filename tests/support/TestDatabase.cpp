#include "TestDatabase.h"

#include "Database.h"
#include "DemoData.h"
#include "ModuleError.h"
#include "SchemaInstaller.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QSqlRecord>
#include <QUrl>

namespace tavrel::test {

namespace {

QString uniqueDatabaseName()
{
    static QAtomicInteger<int> counter;
    QString app = QCoreApplication::applicationName().toLower();
    app.replace(QRegularExpression(QStringLiteral("[^a-z0-9]")), QStringLiteral("_"));
    return QStringLiteral("tvl_%1_%2_%3")
        .arg(app.left(30))
        .arg(QCoreApplication::applicationPid())
        .arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

QString TestDatabase::engine()
{
    const QString value = qEnvironmentVariable("TAVREL_TEST_ENGINE").trimmed().toLower();
    return value.isEmpty() ? QStringLiteral("sqlite") : value;
}

bool TestDatabase::postgresUnavailable()
{
    return isPostgres() && qEnvironmentVariable("TAVREL_TEST_PG").trimmed().isEmpty();
}

TestDatabase::TestDatabase(Content content, const QString& engineName)
{
    if (engineName == QLatin1String("postgres")) {
        m_adminUrl = qEnvironmentVariable("TAVREL_TEST_PG").trimmed();
        if (m_adminUrl.isEmpty())
            throw ModuleError(QStringLiteral("TAVREL_TEST_PG is not set"),
                              ModuleError::Kind::Connection);
        m_pgName = uniqueDatabaseName();
        {
            std::unique_ptr<Database> admin = Database::open(m_adminUrl);
            admin->exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_pgName));
            admin->exec(QStringLiteral("CREATE DATABASE %1").arg(m_pgName));
        }
        QUrl url(m_adminUrl);
        url.setPath(QLatin1Char('/') + m_pgName);
        m_url = url.toString();
    } else {
        m_url = m_dir.filePath(QStringLiteral("test.sqlite"));
    }
    if (content == Content::Nothing)
        return;
    SchemaInstaller::install(database());
    if (content == Content::Demo)
        DemoData::create(database());
}

TestDatabase::~TestDatabase()
{
    m_db.reset();
    if (m_pgName.isEmpty())
        return;
    try {
        std::unique_ptr<Database> admin = Database::open(m_adminUrl);
        admin->exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_pgName));
    } catch (const ModuleError& e) {
        qWarning("could not drop test database %s: %s", qPrintable(m_pgName), e.what());
    }
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
