// The suite's menu host: login, program list, module loading, headless sub-commands.

#include "CausedReportCommands.h"
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
#include "ProgramLink.h"
#include "RelationToolCommands.h"

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
    if (options.subcommand == QLatin1String("init-db")) {
        QCoreApplication app(argc, argv);
        return runSubcommand(options);
    }
    if (RelationToolCommands::handles(options.subcommand)) {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return options.subcommand == QLatin1String("check")
                   ? RelationToolCommands::check(options.subcommandArgs, out, err)
                   : RelationToolCommands::history(options.subcommandArgs, out, err);
    }
    // Reports the application server computes: no module, no window.
    if (options.subcommand == QLatin1String("causado-preview") ||
        options.subcommand == QLatin1String("coverage")) {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return options.subcommand == QLatin1String("coverage")
                   ? CausedReportCommands::coverage(options.subcommandArgs, out, err)
                   : CausedReportCommands::preview(options.subcommandArgs, out, err);
    }
    if (options.subcommand == QLatin1String("session") ||
        options.subcommand == QLatin1String("call") ||
        options.subcommand == QLatin1String("report") ||
        options.subcommand == QLatin1String("export")) {
        // The module builds its windows even when nobody sees them.
        if (qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        if (options.subcommand == QLatin1String("session"))
            return HeadlessCommands::session(options.subcommandArgs, out, err);
        if (options.subcommand == QLatin1String("call"))
            return HeadlessCommands::call(options.subcommandArgs, out, err);
        if (options.subcommand == QLatin1String("export"))
            return HeadlessCommands::exportRows(options.subcommandArgs, out, err);
        return HeadlessCommands::report(options.subcommandArgs, out, err);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavrel"));

    // A host that started this one from a linked label passes the secrets of the session
    // in the environment (see ProgramLink); they are not left there for our own children.
    const auto fromEnvironment = [](const QString& given, const char* variable) {
        const QString value = given.isEmpty() ? qEnvironmentVariable(variable) : given;
        qunsetenv(variable);
        return value;
    };
    HostSession session;
    session.database = fromEnvironment(options.database, ProgramLink::DatabaseVariable);
    session.user = options.user.toUpper();
    session.password = fromEnvironment(options.password, ProgramLink::PasswordVariable);
    session.company = options.company;
    session.protocol = options.protocol;
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
