#include "HeadlessCommands.h"

#include "AppServerFactory.h"
#include "CausedReportCommands.h"
#include "CommandLine.h"
#include "HostedProgram.h"
#include "HostOptions.h"
#include "HostSession.h"
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

#include <functional>

namespace tavrel {

namespace {

// The program whose window the session, report and export commands work on.
const ProgramEntry& relation()
{
    return *ProgramCatalog::find(QStringLiteral("VEdUvura"));
}

struct Parsed
{
    HostSession session;
    QStringList positional;
    QString pdf;
    QString xlsx;
    QString csv;
    bool json = false;
    QString answer; // what --help or --version asked for
    QString error;
};

const char* const kSynopses[] = {
    "tavrel session --database D --user U --password P --company N [--protocol X]\n"
    "         [--alias A] [--hpv TEXTO] [--client-version \"V;F\"] [--json]",
    "tavrel call --database D --user U --password P --company N MODULO OPERACION",
    "tavrel report --database D --user U --password P --company N --pdf ARCHIVO.pdf",
    "tavrel export --database D --user U --password P --company N\n"
    "         (--xlsx ARCHIVO.xlsx | --csv ARCHIVO.csv)",
    CausedReportCommands::previewSynopsis,
    CausedReportCommands::coverageSynopsis,
};

Parsed parse(const QString& command, const QStringList& args)
{
    QList<QCommandLineOption> options = HostOptions::sessionOptions();
    options +=
        {{QStringLiteral("alias"), QStringLiteral("El alias de la conexión."), QStringLiteral("A")},
         {QStringLiteral("hpv"), QStringLiteral("El texto de parámetros del anfitrión."),
          QStringLiteral("TEXTO")},
         {QStringLiteral("client-version"),
          QStringLiteral("La versión y la fecha del cliente, separadas por \";\"."),
          QStringLiteral("V;F")}};
    const bool session = command == QLatin1String("session");
    const bool report = command == QLatin1String("report");
    if (session)
        options += {QStringLiteral("json"), QStringLiteral("Imprime las variables en JSON.")};
    if (report)
        options += {QStringLiteral("pdf"), QStringLiteral("El archivo PDF que se escribe."),
                    QStringLiteral("ARCHIVO.pdf")};
    const bool exporting = command == QLatin1String("export");
    if (exporting)
        options += {{QStringLiteral("xlsx"), QStringLiteral("El libro de Excel que se escribe."),
                     QStringLiteral("ARCHIVO.xlsx")},
                    {QStringLiteral("csv"), QStringLiteral("El archivo CSV que se escribe."),
                     QStringLiteral("ARCHIVO.csv")}};
    CommandLine line(QStringLiteral("Uso: ") + HeadlessCommands::usage(command), options);
    Parsed p;
    const CommandLine::Result result = line.parse(args);
    if (result == CommandLine::Result::Answer)
        p.answer = line.answer();
    if (result == CommandLine::Result::WrongArgument)
        p.error = HostOptions::refusal(line);
    if (result != CommandLine::Result::Run)
        return p;
    const QCommandLineParser& values = line.values();
    p.session.database = values.value(QStringLiteral("database"));
    p.session.user = values.value(QStringLiteral("user"));
    p.session.password = values.value(QStringLiteral("password"));
    p.session.company = values.value(QStringLiteral("company"));
    p.session.protocol = values.value(QStringLiteral("protocol"));
    p.session.alias = values.value(QStringLiteral("alias"));
    p.session.hostParameters = values.value(QStringLiteral("hpv"));
    p.session.clientVersion = values.value(QStringLiteral("client-version"));
    p.json = session && values.isSet(QStringLiteral("json"));
    p.pdf = report ? values.value(QStringLiteral("pdf")) : QString();
    p.xlsx = exporting ? values.value(QStringLiteral("xlsx")) : QString();
    p.csv = exporting ? values.value(QStringLiteral("csv")) : QString();
    p.positional = line.positional();
    if (p.session.database.isEmpty())
        p.error = QStringLiteral("Falta --database");
    return p;
}

// --help and --version print their answer; true when `p` held one.
bool answered(const Parsed& p, QTextStream& out)
{
    out << p.answer;
    return !p.answer.isEmpty();
}

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

} // namespace

int HeadlessCommands::session(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const Parsed p = parse(QStringLiteral("session"), args);
    if (answered(p, out))
        return 0;
    if (!p.error.isEmpty()) {
        err << "tavrel session: " << p.error << "\n";
        return 2;
    }
    QJsonObject globals;
    const int exitCode = withModule("session", relation(), p.session, err,
                                    [&globals](HostedProgram&) { globals = sessionJson(); });
    if (exitCode != 0)
        return exitCode;
    if (p.json) {
        out << QJsonDocument(globals).toJson(QJsonDocument::Indented);
    } else {
        for (auto it = globals.begin(); it != globals.end(); ++it)
            out << it.key() << " = " << it.value().toVariant().toString() << "\n";
    }
    return 0;
}

int HeadlessCommands::call(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const Parsed p = parse(QStringLiteral("call"), args);
    if (answered(p, out))
        return 0;
    if (!p.error.isEmpty() || p.positional.size() != 2) {
        err << "tavrel call: "
            << (p.error.isEmpty() ? QStringLiteral("indique el programa y la operación") : p.error)
            << "\n";
        return 2;
    }
    const ProgramEntry* program = ProgramCatalog::find(p.positional[0]);
    if (!program) {
        err << "tavrel call: programa desconocido " << p.positional[0] << "\n";
        return 2;
    }
    const QString operation = p.positional[1];
    const int exitCode =
        withModule("call", *program, p.session, err,
                   [&operation](HostedProgram& window) { window.runOperation(operation); });
    if (exitCode == 0)
        out << operation << ": terminado\n";
    return exitCode;
}

int HeadlessCommands::report(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const Parsed p = parse(QStringLiteral("report"), args);
    if (answered(p, out))
        return 0;
    QString error = p.error;
    if (error.isEmpty() && p.pdf.isEmpty())
        error = QStringLiteral("Falta --pdf ARCHIVO");
    if (error.isEmpty() && !p.positional.isEmpty())
        error = QStringLiteral("Argumento de más: %1").arg(p.positional.first());
    if (!error.isEmpty()) {
        err << "tavrel report: " << error << "\n";
        return 2;
    }
    const int exitCode = withModule("report", relation(), p.session, err,
                                    [&p](HostedProgram& window) { window.exportPdf(p.pdf); });
    if (exitCode == 0)
        out << "Reporte escrito en " << p.pdf << "\n";
    return exitCode;
}

int HeadlessCommands::exportRows(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const Parsed p = parse(QStringLiteral("export"), args);
    if (answered(p, out))
        return 0;
    QString error = p.error;
    if (error.isEmpty() && p.xlsx.isEmpty() == p.csv.isEmpty())
        error = QStringLiteral("Indique --xlsx ARCHIVO o --csv ARCHIVO");
    if (error.isEmpty() && !p.positional.isEmpty())
        error = QStringLiteral("Argumento de más: %1").arg(p.positional.first());
    if (!error.isEmpty()) {
        err << "tavrel export: " << error << "\n";
        return 2;
    }
    const QString file = p.xlsx.isEmpty() ? p.csv : p.xlsx;
    const int exitCode =
        withModule("export", relation(), p.session, err, [&](HostedProgram& window) {
            p.xlsx.isEmpty() ? window.exportCsv(file) : window.exportExcel(file);
        });
    if (exitCode == 0)
        out << "Relación escrita en " << file << "\n";
    return exitCode;
}

QString HeadlessCommands::usage(const QString& command)
{
    for (const char* synopsis : kSynopses) {
        const QString text = QString::fromUtf8(synopsis);
        if (text.section(QLatin1Char(' '), 1, 1) == command)
            return text;
    }
    return QString();
}

QString HeadlessCommands::synopses()
{
    QString text;
    for (const char* synopsis : kSynopses)
        text += QStringLiteral("  ") + QString::fromUtf8(synopsis) + QLatin1Char('\n');
    return text;
}

} // namespace tavrel
