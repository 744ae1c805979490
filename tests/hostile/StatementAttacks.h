#pragma once

#include "AttackCase.h"

// A desk's read text: one statement, inside a read-only transaction it cannot leave,
// under a time limit, with nothing left behind for the next desk and nothing of other
// desks in sight.
class StatementAttacks : public AttackCase
{
    Q_OBJECT

public:
    // One worker: every desk is served on the same two connections.
    StatementAttacks()
        : AttackCase({QStringLiteral("--workers"), QStringLiteral("1"),
                      QStringLiteral("--read-timeout"), QStringLiteral("2")})
    {}

private Q_SLOTS:
    void refusedReads_data();
    void refusedReads();
    void tokensNeverInStatementText();
    void nothingStaysForTheNextDesk();
    void resetReleasesSessionLocks();
    void longReadsAreCut();
    void misconfiguredRolesAreRefused_data();
    void misconfiguredRolesAreRefused();
};
