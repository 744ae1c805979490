// Attacks on the network server with nothing but an ordinary desk login: each class
// replays one family of them and checks that it fails and that nothing changed.
#include "ApplyAttacks.h"
#include "StatementAttacks.h"

#include <QCoreApplication>
#include <QTest>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int failed = 0;
    {
        StatementAttacks attacks;
        failed += QTest::qExec(&attacks, argc, argv);
    }
    {
        ApplyAttacks attacks;
        failed += QTest::qExec(&attacks, argc, argv);
    }
    return failed;
}
