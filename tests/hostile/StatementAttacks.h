#pragma once

#include <QObject>
#include <memory>

namespace tavrel::test {
class HostileServer;
}

// A desk's read text: one statement, inside a read-only transaction it cannot leave,
// under a time limit, with nothing left behind for the next desk and nothing of other
// desks in sight.
class StatementAttacks : public QObject
{
    Q_OBJECT

public:
    StatementAttacks();
    ~StatementAttacks() override;

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void oneStatementPerRead_data();
    void oneStatementPerRead();
    void refusedFunctions_data();
    void refusedFunctions();
    void tokensNeverInStatementText();
    void nothingStaysForTheNextDesk();
    void resetReleasesSessionLocks();
    void longReadsAreCut();
    void misconfiguredRolesAreRefused_data();
    void misconfiguredRolesAreRefused();

private:
    std::unique_ptr<tavrel::test::HostileServer> m_server;
};
