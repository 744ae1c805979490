#pragma once

#include <QObject>
#include <memory>

namespace tavrel::test {
class HostileServer;
}

// Attacks on /v1/login itself: guesses in parallel, lockouts of somebody else's user,
// user names the database cannot take, and the cost of a stolen password hash.
class LoginAttacks : public QObject
{
    Q_OBJECT

public:
    LoginAttacks();
    ~LoginAttacks() override;

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void lockoutStaysWithTheGuessingAddress();
    void parallelGuessesGetNoExtraChecks();
    void parallelLoginsOfOneUserAllPass();
    void controlCharacterInUserName_data();
    void controlCharacterInUserName();
    void oldPasswordHashIsUpgradedAtLogin();

private:
    std::unique_ptr<tavrel::test::HostileServer> m_server;
};
