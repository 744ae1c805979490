#include "HeadlessCommands.h"

#include "AppServerFactory.h"
#include "HostSession.h"
#include "ModuleError.h"
#include "ModuleLoader.h"
#include "ProgramCatalog.h"
#include "SessionGlobals.h"
#include "SessionServices.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWidget>

#include <functional>

namespace tavrel {

namespace {

struct Parsed
{
    HostSession session;
    QStringList positional;
    QString pdf;
    bool json = false;
    QString error;
};

Parsed parse(const QStringList& args)
{
    Parsed p;
    p.session.protocol = QStringLiteral("local");
    const QHash<QString, QString*> options = {
        {QStringLiteral("--database"), &p.session.database},
        {QStringLiteral("--user"), &p.session.user},
        {QStringLiteral("--password"), &p.session.password},
        {QStringLiteral("--company"), &p.session.company},
        {QStringLiteral("--protocol"), &p.session.protocol},
        {QStringLiteral("--alias"), &p.session.alias},
        {QStringLiteral("--hpv"), &p.session.hostParameters},
        {QStringLiteral("--version"), &p.session.clientVersion},
        {QStringLiteral("--pdf"), &p.pdf},
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--json")) {
            p.json = true;
        } else if (options.contains(a)) {
            if (i + 1 >= args.size()) {
                p.error = QStringLiteral("Falta el valor de %1").arg(a);
                return p;
            }
            *options.value(a) = args[++i];
        } else if (a.startsWith(QLatin1String("--"))) {
            p.error = QStringLiteral("Opción desconocida: %1").arg(a);
            return p;
        } else {
            p.positional << a;
        }
    }
    if (p.session.database.isEmpty())
        p.error = QStringLiteral("Falta --database");
    return p;
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

// Loads the module with the session, runs `work` on it and unloads. Messages the
// module would show in a modal box go to `err`; an error ends the command with exit
// code 1.
int withModule(const char* command, const QString& library, const HostSession& session,
               QTextStream& err, const std::function<void(ModuleLoader&)>& work)
{
    const SessionServices::Scope services({
        .connectServer = AppServerFactory::connect,
        .showMessage =
            [&err](const QString& message, MessageKind) {
                err << message << "\n";
                err.flush();
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

} // namespace

int HeadlessCommands::session(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const Parsed p = parse(args);
    if (!p.error.isEmpty()) {
        err << "tavrel session: " << p.error << "\n";
        return 2;
    }
    QJsonObject globals;
    const int exitCode = withModule("session", QStringLiteral("VEdUvura"), p.session, err,
                                    [&globals](ModuleLoader&) { globals = sessionJson(); });
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
    const Parsed p = parse(args);
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
        withModule("call", program->library, p.session, err,
                   [&operation](ModuleLoader& loader) { loader.invoke(operation); });
    if (exitCode == 0)
        out << operation << ": terminado\n";
    return exitCode;
}

int HeadlessCommands::report(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const Parsed p = parse(args);
    QString error = p.error;
    if (error.isEmpty() && p.pdf.isEmpty())
        error = QStringLiteral("Falta --pdf ARCHIVO");
    if (error.isEmpty() && !p.positional.isEmpty())
        error = QStringLiteral("Argumento de más: %1").arg(p.positional.first());
    if (!error.isEmpty()) {
        err << "tavrel report: " << error << "\n";
        return 2;
    }
    const int exitCode = withModule(
        "report", ProgramCatalog::find(QStringLiteral("VEdUvura"))->library, p.session, err,
        [&p](ModuleLoader& loader) { loader.invoke(QStringLiteral("ExportarPdf"), {p.pdf}); });
    if (exitCode == 0)
        out << "Reporte escrito en " << p.pdf << "\n";
    return exitCode;
}

} // namespace tavrel
