#include "AttackCase.h"

#include <QTest>

void AttackCase::initTestCase()
{
    TAVREL_NEEDS_POSTGRES();
    m_server = std::make_unique<tavrel::test::HostileServer>(m_options);
    QVERIFY2(m_server->ready(), qPrintable(m_server->why()));
}
