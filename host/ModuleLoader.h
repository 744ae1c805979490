#pragma once

#include "HostSession.h"

#include <QLibrary>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace tavrel {

class HostedProgram;

// Loads a module library the way the suite's host does: the library by name, its C
// entry points, the load entry with the session, the returned window.
class ModuleLoader
{
public:
    explicit ModuleLoader(const QString& libraryName);
    ~ModuleLoader(); // unloads the module when it is loaded

    ModuleLoader(const ModuleLoader&) = delete;
    ModuleLoader& operator=(const ModuleLoader&) = delete;

    // Calls the W load entry and returns the module's window. Errors thrown by the
    // module pass through, the module counting as loaded (unload() or the destructor
    // frees what it made); a missing library or entry throws ModuleError, and a module
    // that answers 0 (it has already shown why) a silent one (Kind::Abort).
    QWidget* load(const HostSession& session, quintptr hostWindow);
    void unload();
    bool isLoaded() const { return m_loaded; }
    QWidget* window() const { return m_window.data(); }

    // What the host may ask of the loaded window (its operations, state, key, exports).
    // Throws ModuleError when no program is loaded or its window answers none of it.
    HostedProgram& program() const;

    // Resolves an entry point of the loaded library; nullptr when it has none.
    QFunctionPointer entry(const char* name);

    // Where module libraries are looked for: beside the host's executable (build tree),
    // else in the module folder of the installed layout, relative to the executable.
    static QString libraryPath(const QString& libraryName);

private:
    QLibrary m_library;
    bool m_loaded = false;
    QPointer<QWidget> m_window;
};

} // namespace tavrel
