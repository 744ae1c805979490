#include "ProgramLink.h"

#include "LoginOptions.h"
#include "ModuleError.h"
#include "ProgramCatalog.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace tavrel {

ProgramLink ProgramLink::resolve(const QString& path, const QString& programFolder,
                                 const HostSession& session)
{
    ProgramLink link;
    const QString trimmed = path.trimmed();
    if (trimmed.isEmpty())
        return link;
    // Paths written on Windows use backslashes.
    const QFileInfo file(QDir(programFolder), QString(trimmed).replace(u'\\', u'/'));
    if (file.isFile() && file.isExecutable()) {
        link.kind = Kind::Executable;
        link.executable = file.absoluteFilePath();
        if (QUrl(session.database).password().isEmpty())
            link.arguments << QStringLiteral("--database") << session.database;
        else
            link.environment << QLatin1String(LoginOptions::DatabaseVariable) + u'=' +
                                    session.database;
        if (!session.protocol.isEmpty() && session.protocol != QLatin1String("local"))
            link.arguments << QStringLiteral("--protocol") << session.protocol;
        link.arguments << QStringLiteral("--user") << session.user;
        link.arguments << QStringLiteral("--company") << session.company;
        link.environment << QLatin1String(LoginOptions::PasswordVariable) + u'=' + session.password;
        return link;
    }
    if ((link.module = ProgramCatalog::find(file.completeBaseName())))
        link.kind = Kind::Module;
    return link;
}

void ProgramLink::start() const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& pair : this->environment)
        environment.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    process.setProcessEnvironment(environment);
    process.setProgram(executable);
    process.setArguments(arguments);
    process.setWorkingDirectory(QFileInfo(executable).absolutePath());
    if (!process.startDetached())
        throw ModuleError(QStringLiteral("No se pudo iniciar el programa %1: %2")
                              .arg(QDir::toNativeSeparators(executable), process.errorString()));
}

} // namespace tavrel
