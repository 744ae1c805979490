// A host without any Qt application: the module must bring its own QApplication for
// the time it is loaded, and take it away again on unload.
#include "ModuleEntries.h"

#include "ModuleApplication.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

namespace {

int gFailures = 0;

void check(bool condition, const char* what)
{
    std::printf("%s: %s\n", condition ? "PASS" : "FAIL", what);
    if (!condition) {
        ++gFailures;
    }
}

} // namespace

int main(int, char** argv)
{
    ModuleEntries module;
    const QString error = module.open(QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath());
    if (!error.isEmpty()) {
        std::printf("FAIL: %s\n", qPrintable(error));
        return 1;
    }

    check(QCoreApplication::instance() == nullptr, "the host starts without an application");
    module.unload();
    check(QCoreApplication::instance() == nullptr, "an unload before any load creates none");

    for (int round = 1; round <= 2; ++round) {
        const quintptr handle =
            module.loadW(0, u"local", u"", u"", u"", u"", u"", u"", u"3.1.0;20/03/2018");
        check(qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr,
              "the load creates a QApplication");
        check(handle != 0, "the load returns a window handle");
        check(tavrel::ModuleApplication::instance() != nullptr,
              "the module application exists while loaded");

        module.unload();
        check(QCoreApplication::instance() == nullptr, "the unload destroys the QApplication");
        check(tavrel::ModuleApplication::instance() == nullptr,
              "the module application is gone after the unload");
    }
    return gFailures == 0 ? 0 : 1;
}
