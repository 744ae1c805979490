#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

namespace tavrel::bench {

// The module's relation window as the host opens it: the library loaded once, then each
// open() goes through the load entry with the session's protocol and server, shows the
// window and waits until its grid has painted once, then unloads it. Needs a QApplication
// and the module library beside the program.
class ModuleWindow
{
public:
    struct Login
    {
        QString protocol; // "local", "http" or "https"
        QString server;   // the database location, or host:port for the network
        QString user;
        QString password;
        int company = 0;
    };
    struct Opened
    {
        double seconds = 0;    // load entry to the grid painted
        double cpuSeconds = 0; // processor time of the same (the machine may be shared)
        int rows = 0;          // rows in the grid
    };

    ModuleWindow();
    ~ModuleWindow();

    // Throws ModuleError when the window does not open or does not paint within a minute.
    Opened open(const Login& login);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel::bench
