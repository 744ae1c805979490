#include "ModuleLoader.h"

#include "HostedProgram.h"
#include "ModuleError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tavrel {

namespace {
using LoadW = quintptr (*)(quintptr, const char16_t*, const char16_t*, const char16_t*,
                           const char16_t*, const char16_t*, const char16_t*, const char16_t*,
                           const char16_t*);
using Unload = void (*)();
} // namespace

ModuleLoader::ModuleLoader(const QString& libraryName) : m_library(libraryPath(libraryName)) {}

ModuleLoader::~ModuleLoader()
{
    unload();
}

QString ModuleLoader::libraryPath(const QString& libraryName)
{
    // In the build tree the modules lie beside the executable; once installed, in the
    // suite's module folder, found relative to the executable's.
    const QString file = libraryName + QStringLiteral(".so");
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString besideProgram = programFolder.filePath(file);
    const QString installed = programFolder.filePath(QStringLiteral(TAVREL_MODULE_DIR "/") + file);
    if (!QFileInfo::exists(besideProgram) && QFileInfo::exists(installed))
        return QDir::cleanPath(installed);
    return besideProgram;
}

QFunctionPointer ModuleLoader::entry(const char* name)
{
    if (!m_library.isLoaded() && !m_library.load())
        throw ModuleError(QStringLiteral("No se pudo cargar el programa %1: %2")
                              .arg(m_library.fileName(), m_library.errorString()),
                          ModuleError::Kind::Connection);
    return m_library.resolve(name);
}

QWidget* ModuleLoader::load(const HostSession& s, quintptr hostWindow)
{
    auto loadW = reinterpret_cast<LoadW>(entry("VMiLoadDllW"));
    if (!loadW)
        throw ModuleError(QStringLiteral("El programa %1 no tiene la entrada VMiLoadDllW")
                              .arg(m_library.fileName()));
    const QString versionAndDate = s.clientVersion;
    auto u = [](const QString& t) { return reinterpret_cast<const char16_t*>(t.utf16()); };
    // Loaded from the call on: a load entry that throws may leave objects behind, which
    // only its unload entry frees.
    m_loaded = true;
    const quintptr handle =
        loadW(hostWindow, u(s.protocol), u(s.alias), u(s.database), u(s.user), u(s.password),
              u(s.company), u(s.hostParameters), u(versionAndDate));
    // A module that could not create its window has shown why and answers 0.
    if (handle == 0)
        throw ModuleError(QStringLiteral("El programa %1 no se abrió")
                              .arg(QFileInfo(m_library.fileName()).completeBaseName()),
                          ModuleError::Kind::Abort);
    m_window = QWidget::find(WId(handle));
    if (!m_window)
        throw ModuleError(QStringLiteral("El programa no devolvió una ventana válida"));
    return m_window.data();
}

HostedProgram& ModuleLoader::program() const
{
    HostedProgram* program = HostedProgram::of(m_window.data());
    if (!program)
        throw ModuleError(QStringLiteral("No hay un programa abierto en %1")
                              .arg(QFileInfo(m_library.fileName()).completeBaseName()));
    return *program;
}

void ModuleLoader::unload()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    if (auto unloadEntry = reinterpret_cast<Unload>(m_library.resolve("VMiUnLoadDll")))
        unloadEntry();
}

} // namespace tavrel
