#pragma once

#include "AttackCase.h"

#include <QString>

// Several calls in one request: each is checked as its single call is, a refused one
// runs nothing, and the batch itself is bounded and read whole before any of it runs.
class BatchAttacks : public AttackCase
{
    Q_OBJECT

public:
    BatchAttacks() : AttackCase({QStringLiteral("--workers"), QStringLiteral("1")}) {}

private Q_SLOTS:
    void init();

    void eachCallCheckedAsAlone_data();
    void eachCallCheckedAsAlone();
    void malformedBatchRunsNothing_data();
    void malformedBatchRunsNothing();

private:
    QString m_token; // MGOMEZ's (company 2 only), logged in before each test
};
