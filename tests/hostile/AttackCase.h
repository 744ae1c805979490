#pragma once

#include "ServedDemo.h"

#include <QObject>
#include <QStringList>
#include <memory>

// A family of attacks on one server of its own, started with `options` for the whole
// case (the network server serves PostgreSQL only: skipped without it).
class AttackCase : public QObject
{
    Q_OBJECT

public:
    explicit AttackCase(QStringList options) : m_options(std::move(options)) {}

protected:
    std::unique_ptr<tavrel::test::ServedDemo> m_server;
    QString m_token; // MGOMEZ's (company 2 only), logged in before each test

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase() { m_server.reset(); }
    void init();

private:
    QStringList m_options;
};
