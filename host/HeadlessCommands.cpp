#include "HeadlessCommands.h"

#include "AppServerFactory.h"
#include "CommandLine.h"
#include "ExecutionTotals.h"
#include "HostSession.h"
#include "LoginOptions.h"
#include "ModuleError.h"
#include "ModuleLoader.h"
#include "ProgramCatalog.h"
#include "RelationToolCommands.h"
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

// Loads the module with the session, runs `work` on it and unloads. Messages the
// module would show in a modal box go to `err`; an error ends the command with exit
// code 1.
int withModule(const char* command, const QString& library, const HostSession& session,
               QTextStream& err, const std::function<void(ModuleLoader&)>& work)
{
    const SessionServices::Scope services({
        .connectServer = AppServerFactory::forLogin({session.user, session.password}),
        .showMessage =
            [&err](const QString& message, MessageKind) {
                err << message << "\n";
                err.flush();
            },
        // An export of the relation carries the execution figures of the session's company.
        .addExportSheets =
            [&session](XlsxWriter& book) {
                const auto server = AppServerFactory::connect(session.protocol, session.database,
                                                              {session.user, session.password});
                book.addSheet(ExecutionTotals::fetch(*server, session.company.toInt()).sheet());
            },
    });
    try {
        ModuleLoader loader(library);
        loader.load(session, 0);
        work(loader);
        loader.unload();
        return 0;
    } catch (const std::exception& e) {
        err << "tavrel " << command << ": " << errorText(e) << "\n";
        return 1;
    }
}

const QString& relationLibrary()
{
    static const QString library = ProgramCatalog::find(QStringLiteral("VEdUvura"))->library;
    return library;
}

int session(const HostSession& session, const CommandLine& line, QTextStream& out, QTextStream& err)
{
    QJsonObject globals;
    const int exitCode = withModule("session", QStringLiteral("VEdUvura"), session, err,
                                    [&globals](ModuleLoader&) { globals = sessionJson(); });
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
        withModule("call", program->library, session, err,
                   [&operation](ModuleLoader& loader) { loader.invoke(operation); });
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
    const int exitCode =
        withModule("report", relationLibrary(), session, err, [&pdf](ModuleLoader& loader) {
            loader.invoke(QStringLiteral("ExportarPdf"), {pdf});
        });
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
    const QString operation =
        xlsx.isEmpty() ? QStringLiteral("exportarCsv") : QStringLiteral("exportarExcel");
    const int exitCode =
        withModule("export", relationLibrary(), session, err,
                   [&](ModuleLoader& loader) { loader.invoke(operation, {file}); });
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

const QList<ToolCommand>& toolCommands()
{
    static const QList<ToolCommand> commands = RelationToolCommands::commands();
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
                     LoginOptions::options() + command.options);
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
