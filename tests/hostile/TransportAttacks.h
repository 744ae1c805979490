#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <memory>

namespace tavrel::test {
class ServedDemo;
}

// Attacks with no login at all, on the connection itself: clients that hold a worker by
// sending slowly or not at all, bodies without a length, old TLS, and bytes meant to
// forge lines of the access log.
class TransportAttacks : public QObject
{
    Q_OBJECT

public:
    TransportAttacks();
    ~TransportAttacks() override;

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void slowClientsCannotHoldEveryWorker();
    void slowRequestIsCutAtItsDeadline();
    void chunkedBodyIsRefusedAtTheLimit();
    void compressedBodyIsRefusedAtTheLimit_data();
    void compressedBodyIsRefusedAtTheLimit();
    void idleTlsConnectionsDoNotDelayTheNextDesk();
    void tlsRefusesWeakHandshakes_data();
    void tlsRefusesWeakHandshakes();
    void accessLogLinesCannotBeForged_data();
    void accessLogLinesCannotBeForged();
    void refusedRequestIsLoggedAsItself();

private:
    std::unique_ptr<tavrel::test::ServedDemo> m_plain;
    QTemporaryDir m_certificate;
    std::unique_ptr<tavrel::test::ServedDemo> m_tls;
};
