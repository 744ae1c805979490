#include "AttackCase.h"

#include <QTest>

void AttackCase::initTestCase()
{
    TAVREL_NEEDS_POSTGRES();
    m_server = std::make_unique<tavrel::test::ServedDemo>(m_options);
    QVERIFY2(m_server->ready(), qPrintable(m_server->why()));
}

void AttackCase::init()
{
    m_token =
        m_server->login(tavrel::test::ServedDemo::MGomez, tavrel::test::ServedDemo::MGomezPassword);
    QVERIFY(!m_token.isEmpty());
}
