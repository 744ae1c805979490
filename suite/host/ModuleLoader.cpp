#include "ModuleLoader.h"

#include "ModuleError.h"

#include <QCoreApplication>
#include <QDir>

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
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(libraryName + QStringLiteral(".so"));
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
    const quintptr handle =
        loadW(hostWindow, u(s.protocol), u(s.alias), u(s.database), u(s.user), u(s.password),
              u(s.company), u(s.hostParameters), u(versionAndDate));
    m_loaded = true;
    m_window = QWidget::find(WId(handle));
    if (!m_window)
        throw ModuleError(QStringLiteral("El programa no devolvió una ventana válida"));
    return m_window.data();
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
