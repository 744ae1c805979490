#pragma once

#include "AttackCase.h"

// A desk's changed rows and late-bound calls: the server decides the company, the audit
// stamps and the statement text; the change log only grows; the row history and the
// error texts tell a desk nothing of other companies or of the database.
class ApplyAttacks : public AttackCase
{
    Q_OBJECT

public:
    ApplyAttacks() : AttackCase({QStringLiteral("--workers"), QStringLiteral("1")}) {}

private Q_SLOTS:
    void companyKeyInAnySpelling_data();
    void companyKeyInAnySpelling();
    void originalValueInAnotherSpellingStillChecked();
    void auditStampsAreTheServers_data();
    void auditStampsAreTheServers();
    void changeLogOnlyGrows_data();
    void changeLogOnlyGrows();
    void statementRunsAsTheSessionsUser_data();
    void statementRunsAsTheSessionsUser();
    void statementMarkersMustBeDateTimes_data();
    void statementMarkersMustBeDateTimes();
    void rowHistoryShowsOnlyItsCompanysShare();
    void databaseFailureShowsOnlyAReference();
    void workerWithoutDatabaseShowsOnlyAReference();
};
