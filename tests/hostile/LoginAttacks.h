#pragma once

#include "AttackCase.h"

// Attacks on /v1/login itself: guesses in parallel, lockouts of somebody else's user, and
// the cost of a stolen password hash.
class LoginAttacks : public AttackCase
{
    Q_OBJECT

public:
    // Parallel guesses from one address must all reach the count.
    LoginAttacks()
        : AttackCase({QStringLiteral("--workers"), QStringLiteral("8"),
                      QStringLiteral("--max-per-address"), QStringLiteral("32")})
    {}

private Q_SLOTS:

    void lockoutStaysWithTheGuessingAddress();
    void parallelGuessesGetNoExtraChecks();
    void parallelLoginsOfOneUserAllPass();
    void oldPasswordHashIsUpgradedAtLogin();
};
