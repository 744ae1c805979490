#include "HeadlessCommands.h"

#include "AppServerFactory.h"
#include "CommandLine.h"
#include "HostSession.h"
#include "HostedProgram.h"
#include "LoginOptions.h"
#include "ModuleError.h"
#include "ModuleLoader.h"
#include "ProgramCatalog.h"
#include "ProgramTools.h"
#include "SessionConnection.h"
#include "SessionGlobals.h"
#include "SessionServices.h"
#include "XlsxWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWidget>

#include <algorithm>
#include <functional>

namespace tavrel {

namespace {

// A sub-command that loads a module with the session; `run` gets what the command line
// gave and returns the exit code.
struct ModuleCommand
{
    QString name;
    QString synopsis;
    QList<QCommandLineOption> options; // besides the login's and the session's
    qsizetype positionals = 0;
    std::function<int(const HostSession&, const CommandLine&, QTextStream&, QTextStream&)> run;
};

const QCommandLineOption kAlias(QStringLiteral("alias"), QStringLiteral("El alias de la conexión."),
                                QStringLiteral("A"));
const QCommandLineOption kHpv(QStringLiteral("hpv"),
                              QStringLiteral("El texto de parámetros del anfitrión."),
                              QStringLiteral("TEXTO"));
const QCommandLineOption
    kClientVersion(QStringLiteral("client-version"),
                   QStringLiteral("La versión y la fecha del cliente, separadas por \";\"."),
                   QStringLiteral("V;F"));
const QCommandLineOption kJson(QStringLiteral("json"),
                               QStringLiteral("Imprime las variables en JSON."));
const QCommandLineOption kPdf(QStringLiteral("pdf"),
                              QStringLiteral("El archivo PDF que se escribe."),
                              QStringLiteral("ARCHIVO.pdf"));
const QCommandLineOption kXlsx(QStringLiteral("xlsx"),
                               QStringLiteral("El libro de Excel que se escribe."),
                               QStringLiteral("ARCHIVO.xlsx"));
const QCommandLineOption kCsv(QStringLiteral("csv"),
                              QStringLiteral("El archivo CSV que se escribe."),
                              QStringLiteral("ARCHIVO.csv"));

QString errorText(const std::exception& e)
{
    if (auto m = dynamic_cast<const ModuleError*>(&e))
        return m->message();
    return QString::fromUtf8(e.what());
}

QJsonObject sessionJson()
{
    QJsonObject o;
    o[QStringLiteral("gHandleTareas")] = QString::number(gHandleTareas);
    o[QStringLiteral("gStProtocolo")] = gStProtocolo;
    o[QStringLiteral("gStAliasCnx")] = gStAliasCnx;
    o[QStringLiteral("gStParSrv")] = gStParSrv;
    o[QStringLiteral("gStParUsu")] = gStParUsu;
    o[QStringLiteral("gStParEmp")] = gStParEmp;
    o[QStringLiteral("gStParHpv")] = gStParHpv;
    o[QStringLiteral("gSlParams")] =
        gSlParams ? QJsonArray::fromStringList(*gSlParams) : QJsonValue(QJsonValue::Null);
    o[QStringLiteral("gStVersionCliente")] = gStVersionCliente;
    o[QStringLiteral("gStFechaCliente")] = gStFechaCliente;
    o[QStringLiteral("gStServerGUID")] = gStServerGUID;
    o[QStringLiteral("gStServerName")] = gStServerName;
    o[QStringLiteral("gStServerGUIDNet")] = gStServerGUIDNet;
    o[QStringLiteral("gStServerNameNet")] = gStServerNameNet;
    o[QStringLiteral("gStPublicKeyToken")] = gStPublicKeyToken;
    o[QStringLiteral("gStCodiUsua")] = gStCodiUsua;
    o[QStringLiteral("gStCodiEmpr")] = gStCodiEmpr;
    o[QStringLiteral("gStTipoUsuario")] = gStTipoUsuario;
    o[QStringLiteral("gStNombProg")] = gStNombProg;
    return o;
}

// Loads the program's module with the session, runs `work` on its window and unloads.
// Messages the module would show in a modal box go to `err`; an error ends the command
// with exit code 1. The module and the program's export sheets share one connection.
int withModule(const char* command, const ProgramEntry& program, const HostSession& session,
               QTextStream& err, const std::function<void(HostedProgram&)>& work)
{
    SessionConnection connection(session);
    const SessionServices::Scope services({
        .connectServer =
            [&connection](const QString& protocol, const QString& database) {
                return connection.connect(protocol, database);
            },
        .showMessage =
            [&err](const QString& message, MessageKind) {
                err << message << "\n";
                err.flush();
            },
        // An export carries the figures the program's tools add, for the session's company.
        .addExportSheets =
            [&](XlsxWriter& book) {
                if (program.tools && program.tools->exportSheets)
                    program.tools->exportSheets(*connection.server(), session.company.toInt(),
                                                book);
            },
    });
    try {
        ModuleLoader loader(program.library);
        loader.load(session, 0);
        work(loader.program());
        loader.unload();
        return 0;
    } catch (const std::exception& e) {
        err << "tavrel " << command << ": " << errorText(e) << "\n";
        return 1;
    }
}

// The program whose window the session, report and export commands work on.
const ProgramEntry& relation()
{
    return *ProgramCatalog::find(QStringLiteral("VEdUvura"));
}

int session(const HostSession& session, const CommandLine& line, QTextStream& out, QTextStream& err)
{
    QJsonObject globals;
    const int exitCode = withModule("session", relation(), session, err,
                                    [&globals](HostedProgram&) { globals = sessionJson(); });
    if (exitCode != 0)
        return exitCode;
    if (line.values().isSet(kJson)) {
        out << QJsonDocument(globals).toJson(QJsonDocument::Indented);
    } else {
        for (auto it = globals.begin(); it != globals.end(); ++it)
            out << it.key() << " = " << it.value().toVariant().toString() << "\n";
    }
    return 0;
}

int call(const HostSession& session, const CommandLine& line, QTextStream& out, QTextStream& err)
{
    const QStringList positional = line.positional();
    if (positional.size() != 2) {
        err << "tavrel call: indique el programa y la operación\n";
        return 2;
    }
    const ProgramEntry* program = ProgramCatalog::find(positional[0]);
    if (!program) {
        err << "tavrel call: programa desconocido " << positional[0] << "\n";
        return 2;
    }
    const QString operation = positional[1];
    const int exitCode =
        withModule("call", *program, session, err,
                   [&operation](HostedProgram& window) { window.runOperation(operation); });
    if (exitCode == 0)
        out << operation << ": terminado\n";
    return exitCode;
}

int report(const HostSession& session, const CommandLine& line, QTextStream& out, QTextStream& err)
{
    const QString pdf = line.values().value(kPdf);
    if (pdf.isEmpty()) {
        err << "tavrel report: Falta " << CommandLine::typed(kPdf) << " ARCHIVO\n";
        return 2;
    }
    const int exitCode = withModule("report", relation(), session, err,
                                    [&pdf](HostedProgram& window) { window.exportPdf(pdf); });
    if (exitCode == 0)
        out << "Reporte escrito en " << pdf << "\n";
    return exitCode;
}

int exportRows(const HostSession& session, const CommandLine& line, QTextStream& out,
               QTextStream& err)
{
    const QString xlsx = line.values().value(kXlsx);
    const QString csv = line.values().value(kCsv);
    if (xlsx.isEmpty() == csv.isEmpty()) {
        err << "tavrel export: Indique --xlsx ARCHIVO o --csv ARCHIVO\n";
        return 2;
    }
    const QString file = xlsx.isEmpty() ? csv : xlsx;
    const int exitCode = withModule("export", relation(), session, err, [&](HostedProgram& window) {
        xlsx.isEmpty() ? window.exportCsv(file) : window.exportExcel(file);
    });
    if (exitCode == 0)
        out << "Relación escrita en " << file << "\n";
    return exitCode;
}

const QList<ModuleCommand>& moduleCommands()
{
    static const QList<ModuleCommand> commands{
        {QStringLiteral("session"),
         QStringLiteral("tavrel session --database D --user U --password P --company N "
                        "[--protocol X]\n"
                        "         [--alias A] [--hpv TEXTO] [--client-version \"V;F\"] [--json]"),
         {kJson},
         0,
         session},
        {QStringLiteral("call"),
         QStringLiteral("tavrel call --database D --user U --password P --company N MODULO "
                        "OPERACION"),
         {},
         2,
         call},
        {QStringLiteral("report"),
         QStringLiteral("tavrel report --database D --user U --password P --company N --pdf "
                        "ARCHIVO.pdf"),
         {kPdf},
         0,
         report},
        {QStringLiteral("export"),
         QStringLiteral("tavrel export --database D --user U --password P --company N\n"
                        "         (--xlsx ARCHIVO.xlsx | --csv ARCHIVO.csv)"),
         {kXlsx, kCsv},
         0,
         exportRows},
    };
    return commands;
}

// The commands of the desk tools of every program in the catalogue.
const QList<ToolCommand>& toolCommands()
{
    static const QList<ToolCommand> commands = [] {
        QList<ToolCommand> all;
        for (const ProgramEntry& program : ProgramCatalog::programs())
            if (program.tools)
                all += program.tools->commands;
        return all;
    }();
    return commands;
}

template <typename Command> const Command* find(const QList<Command>& commands, const QString& name)
{
    const auto it = std::find_if(commands.cbegin(), commands.cend(),
                                 [&name](const Command& c) { return c.name == name; });
    return it == commands.cend() ? nullptr : &*it;
}

// Reads the command line of `name` and the login it gives into `login`. Returns the
// exit code when the command ends here (an answer, a refusal), -1 when it runs.
int read(const QString& name, CommandLine& line, const QStringList& args, bool needsCompany,
         Login& login, QTextStream& out, QTextStream& err)
{
    switch (line.parse(args)) {
    case CommandLine::Result::Answer:
        out << line.answer();
        return 0;
    case CommandLine::Result::WrongArgument:
        err << "tavrel " << name << ": " << line.refusal() << "\n";
        return 2;
    case CommandLine::Result::Run:
        break;
    }
    login = LoginOptions::read(line);
    if (const QString problem = LoginOptions::problem(login, needsCompany); !problem.isEmpty()) {
        err << "tavrel " << name << ": " << problem << "\n";
        return 2;
    }
    return -1;
}

int runModuleCommand(const ModuleCommand& command, const QStringList& args, QTextStream& out,
                     QTextStream& err)
{
    CommandLine line(QStringLiteral("Uso: ") + command.synopsis,
                     LoginOptions::options() + QList{kAlias, kHpv, kClientVersion} +
                         command.options,
                     QStringLiteral("tavrel"), command.positionals);
    Login login;
    if (const int code = read(command.name, line, args, false, login, out, err); code >= 0)
        return code;
    HostSession session = HostSession::forLogin(login);
    session.alias = line.values().value(kAlias);
    session.hostParameters = line.values().value(kHpv);
    session.clientVersion = line.values().value(kClientVersion);
    return command.run(session, line, out, err);
}

int runToolCommand(const ToolCommand& command, const QStringList& args, QTextStream& out,
                   QTextStream& err)
{
    CommandLine line(QStringLiteral("Uso: ") + command.synopsis,
                     LoginOptions::options() + command.options, QStringLiteral("tavrel"),
                     command.positionals);
    Login login;
    if (const int code = read(command.name, line, args, command.needsCompany, login, out, err);
        code >= 0)
        return code;
    if (const QString problem = command.check(line); !problem.isEmpty()) {
        err << "tavrel " << command.name << ": " << problem << "\n";
        return 2;
    }
    try {
        const std::shared_ptr<IAppServer> server = HostSession::forLogin(login).connectToCompany();
        command.run(*server, login.companyCode(), line, out);
        return 0;
    } catch (const ModuleError& e) {
        err << "tavrel " << command.name << ": " << e.message() << "\n";
        return 1;
    }
}

} // namespace

bool HeadlessCommands::handles(const QString& command)
{
    return find(moduleCommands(), command) || find(toolCommands(), command);
}

bool HeadlessCommands::loadsModule(const QString& command)
{
    return find(moduleCommands(), command);
}

int HeadlessCommands::run(const QString& command, const QStringList& args, QTextStream& out,
                          QTextStream& err)
{
    if (const ModuleCommand* c = find(moduleCommands(), command))
        return runModuleCommand(*c, args, out, err);
    if (const ToolCommand* c = find(toolCommands(), command))
        return runToolCommand(*c, args, out, err);
    err << "tavrel: subcomando desconocido " << command << "\n";
    return 2;
}

QString HeadlessCommands::synopses()
{
    QString text;
    for (const ModuleCommand& c : moduleCommands())
        text += QStringLiteral("  ") + c.synopsis + QLatin1Char('\n');
    for (const ToolCommand& c : toolCommands())
        text += QStringLiteral("  ") + c.synopsis + QLatin1Char('\n');
    return text;
}

} // namespace tavrel
