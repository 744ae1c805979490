#pragma once

#include "AttackCase.h"

// Several calls in one request: each is checked as its single call is, a refused one
// runs nothing, and the batch itself is bounded and read whole before any of it runs.
class BatchAttacks : public AttackCase
{
    Q_OBJECT

public:
    BatchAttacks() : AttackCase({QStringLiteral("--workers"), QStringLiteral("1")}) {}

private Q_SLOTS:
    void eachCallCheckedAsAlone_data();
    void eachCallCheckedAsAlone();
    void malformedBatchRunsNothing_data();
    void malformedBatchRunsNothing();
};
