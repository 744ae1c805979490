#pragma once

#include "AttackCase.h"

// A desk's requests, its changed rows and late-bound calls: a refused one changes nothing;
// the server decides the company, the audit stamps and the statement text; the change log
// only grows; the row history and the error texts tell a desk nothing of other companies
// or of the database. Each call of a batch is checked as its single call is, and a batch
// is bounded and read whole before any of it runs.
class ApplyAttacks : public AttackCase
{
    Q_OBJECT

public:
    ApplyAttacks() : AttackCase({QStringLiteral("--workers"), QStringLiteral("1")}) {}

private Q_SLOTS:
    void refusalsChangeNothing_data();
    void refusalsChangeNothing();
    void auditStampsAreTheServers_data();
    void auditStampsAreTheServers();
    void changeLogOnlyGrows_data();
    void changeLogOnlyGrows();
    void statementRunsAsTheSessionsUser_data();
    void statementRunsAsTheSessionsUser();
    void rowHistoryShowsOnlyItsCompanysShare();
    void databaseFailureShowsOnlyAReference();
    void workerWithoutDatabaseShowsOnlyAReference();
    void eachCallOfABatchCheckedAsAlone_data();
    void eachCallOfABatchCheckedAsAlone();
    void malformedBatchRunsNothing_data();
    void malformedBatchRunsNothing();
};
