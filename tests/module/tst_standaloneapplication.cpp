// A host without any Qt application: the module brings its own QApplication for the
// time it is loaded and takes it away on unload, as often as the host reopens it.
#include "AppServerFactory.h"
#include "ModuleEntries.h"
#include "SessionServices.h"
#include "TestDatabase.h"

#include <QApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv)
{
    // The demo database the window logs into is made while a plain application exists
    // (drivers are loaded through it) and outlives it; the file stays where it is.
    std::unique_ptr<tavrel::test::TestDatabase> db;
    {
        QCoreApplication setup(argc, argv);
        db = std::make_unique<tavrel::test::TestDatabase>();
        db->disconnect();
    }
    const QString url = db->url();
    ModuleEntries module;
    const tavrel::SessionServices::Scope host({.connectServer = tavrel::AppServerFactory::forLogin({})});
    const QString error = module.open(QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath());
    int failures = error.isEmpty() ? 0 : 1;
    const auto check = [&failures](bool ok, const char* what) {
        std::printf("%s: %s\n", ok ? "PASS" : "FAIL", what);
        failures += ok ? 0 : 1;
    };
    for (int round = 0; round < 2 && failures == 0; ++round) {
        module.unload();
        check(!QCoreApplication::instance(), "no application before the load");
        const quintptr handle =
            module.loadW(0, u"local", u"", reinterpret_cast<const char16_t*>(url.utf16()),
                         u"JPEREZ", u"Tavrel2026", u"", u"", u"");
        check(qobject_cast<QApplication*>(QCoreApplication::instance()), "load creates one");
        check(handle != 0, "load returns the window handle");
        module.unload();
        check(!QCoreApplication::instance(), "unload destroys it");
    }
    return failures == 0 ? 0 : 1;
}
