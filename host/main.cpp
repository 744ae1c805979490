// The suite's menu host: login, program list, module loading, headless sub-commands.

#include "BackupCommand.h"
#include "HeadlessCommands.h"
#include "HostOptions.h"
#include "HostSession.h"
#include "HostWindow.h"
#include "InitDbCommand.h"
#include "LocalZone.h"
#include "LoginDialog.h"
#include "LoginMemory.h"
#include "ModuleError.h"
#include "ProgramCatalog.h"

#include <QApplication>
#include <QDate>
#include <QMessageBox>
#include <QSettings>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

using namespace tavrel;

namespace {

int runSubcommand(const HostOptions& options)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (options.subcommand == QLatin1String("init-db"))
        return InitDbCommand::run(options.subcommandArgs, out, err);
    if (options.subcommand == QLatin1String("backup"))
        return BackupCommand::run(options.subcommandArgs, out, err);
    err << "tavrel: subcomando desconocido " << options.subcommand << "\n";
    return 2;
}

int saveScreenshot(QWidget* window, const QString& file)
{
    window->show();
    QApplication::processEvents();
    if (!window->grab().save(file)) {
        QTextStream(stderr) << "tavrel: no se pudo escribir " << file << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    tavrel::LocalZone::pin();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVREL_VERSION));
    const HostOptions options = HostOptions::parse(arguments);
    if (!options.answer.isEmpty()) {
        QTextStream(stdout) << options.answer;
        return 0;
    }
    if (!options.error.isEmpty()) {
        QTextStream(stderr) << "tavrel: " << options.error << "\n" << HostOptions::usage();
        return 2;
    }
    if (options.subcommand == QLatin1String("init-db") ||
        options.subcommand == QLatin1String("backup")) {
        QCoreApplication app(argc, argv);
        return runSubcommand(options);
    }
    if (HeadlessCommands::handles(options.subcommand)) {
        // The module builds its windows even when nobody sees them; the tools ask the
        // server alone.
        if (!HeadlessCommands::loadsModule(options.subcommand)) {
            QCoreApplication app(argc, argv);
            QTextStream out(stdout);
            QTextStream err(stderr);
            return HeadlessCommands::run(options.subcommand, options.subcommandArgs, out, err);
        }
        if (qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return HeadlessCommands::run(options.subcommand, options.subcommandArgs, out, err);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavrel"));

    // A host that started this one from a linked label passes the secrets of the session
    // in the environment (see ProgramLink); they are not left there for our own children.
    LoginOptions::clearEnvironment();
    HostSession session = HostSession::forLogin(options.login);
    session.clientVersion =
        QStringLiteral("%1;%2").arg(QStringLiteral(TAVREL_VERSION),
                                    QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));

    QSettings settings(QStringLiteral("Tavrel"), QStringLiteral("tavrel"));
    const bool fromCommandLine = !session.database.isEmpty() && !session.user.isEmpty();
    if (!fromCommandLine)
        LoginMemory::recall(settings, session);

    bool loggedIn = false;
    HostLogin hostLogin;
    if (fromCommandLine) {
        try {
            hostLogin = session.logIn();
            loggedIn = true;
        } catch (const ModuleError& e) {
            if (!options.screenshot.isEmpty()) {
                QTextStream(stderr) << "tavrel: " << e.message() << "\n";
                return 1;
            }
            QMessageBox::warning(nullptr, QStringLiteral("GESTIÓN Y ADMÓN. DE REC. HUMANOS"),
                                 e.message());
        }
    }
    if (!loggedIn) {
        if (!options.screenshot.isEmpty()) {
            QTextStream(stderr) << "tavrel: la captura necesita --database y --user\n";
            return 2;
        }
        LoginDialog login(session);
        if (login.exec() != QDialog::Accepted)
            return 0;
        session = login.session();
        hostLogin = login.login();
    }
    // Scripted runs (screenshots) leave the desk's memory alone.
    const bool interactive = options.screenshot.isEmpty();
    if (interactive)
        LoginMemory::remember(settings, session);

    HostWindow window(session, hostLogin.companies, hostLogin.server);
    window.setQuiet(!interactive);
    if (options.openModule.isEmpty()) {
        if (!options.screenshot.isEmpty())
            return saveScreenshot(&window, options.screenshot);
        window.show();
        const int status = app.exec();
        LoginMemory::remember(settings, window.session());
        return status;
    }

    const ProgramEntry* program = ProgramCatalog::find(options.openModule);
    if (!program) {
        QTextStream(stderr) << "tavrel: programa desconocido " << options.openModule << "\n";
        return 2;
    }
    QWidget* moduleWindow = window.openProgram(*program);
    if (!moduleWindow)
        return 1;
    if (!options.screenshot.isEmpty())
        return saveScreenshot(moduleWindow, options.screenshot);
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    return app.exec();
}
