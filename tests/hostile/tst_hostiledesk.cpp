// Attacks on the network server with nothing but an ordinary desk login, or none: each
// class replays one family of them and checks that it fails and that nothing changed.
#include "ApplyAttacks.h"
#include "LoginAttacks.h"
#include "StatementAttacks.h"
#include "TransportAttacks.h"

#include <QCoreApplication>
#include <QTest>

#include <csignal>

// One family's attacks, on a server of its own that stops before the next family starts.
template <class Attacks> int attack(int argc, char** argv)
{
    Attacks attacks;
    return QTest::qExec(&attacks, argc, argv);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Attacks write to connections the server has closed (OpenSSL with write(), not
    // send()): that is an error for the attack to see, not a signal that ends the test.
    // Ignored before the first qExec, it stays ignored: QTest keeps a handler it finds.
    std::signal(SIGPIPE, SIG_IGN);
    int failed = attack<StatementAttacks>(argc, argv);
    failed += attack<ApplyAttacks>(argc, argv);
    failed += attack<TransportAttacks>(argc, argv);
    failed += attack<LoginAttacks>(argc, argv);
    return failed;
}
