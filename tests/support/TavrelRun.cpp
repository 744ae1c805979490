#include "TavrelRun.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

namespace tavrel::test {

Run runTavrel(const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tavrel"), args);
    if (!p.waitForFinished(120000))
        qFatal("tavrel did not finish");
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace tavrel::test
