#pragma once

#include <QString>
#include <QStringList>

namespace tavrel::test {

// What the host tavrel beside the test's own binary answered to one command line, run
// offscreen.
struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runTavrel(const QStringList& args);

} // namespace tavrel::test
