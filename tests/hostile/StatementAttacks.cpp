#include "StatementAttacks.h"

#include "HostileServer.h"

#include <QTest>

using tavrel::test::HostileServer;

StatementAttacks::StatementAttacks() = default;
StatementAttacks::~StatementAttacks() = default;

void StatementAttacks::initTestCase()
{
    TAVREL_HOSTILE_NEEDS_POSTGRES();
    m_server = std::make_unique<HostileServer>(
        QStringList{QStringLiteral("--workers"), QStringLiteral("1")});
    QVERIFY2(m_server->ready(), qPrintable(m_server->why()));
}

void StatementAttacks::cleanupTestCase()
{
    m_server.reset();
}

void StatementAttacks::secondStatementHiddenBehindACarriageReturn()
{
    const QString token = m_server->login(HostileServer::MGomez, HostileServer::MGomezPassword);
    QVERIFY(!token.isEmpty());
    // PostgreSQL ends a "--" comment at a carriage return; a check that ends it only at a
    // line feed sees one SELECT.
    const HostileServer::Reply reply = m_server->open(
        token, QStringLiteral("SELECT 1 --\r; COMMIT; CREATE TEMP TABLE TMP_ATAQUE (X INT)"));
    QVERIFY2(reply.status >= 400, reply.raw.c_str());
    QCOMPARE(m_server->companiesSeen(token), QList<int>{2});
}
