#include "HeadlessCommands.h"

#include "HostSession.h"
#include "ModuleApplication.h"
#include "ModuleError.h"
#include "ModuleLoader.h"
#include "ProgramCatalog.h"
#include "SessionGlobals.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaMethod>
#include <QWidget>

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

// Messages the module would show in a modal box go to the error stream.
void printMessages(QTextStream& err)
{
    ModuleApplication::setDefaultMessageSink([&err](const QString& message, MessageKind) {
        err << message << "\n";
        err.flush();
    });
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

} // namespace

int HeadlessCommands::session(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const Parsed p = parse(args);
    if (!p.error.isEmpty()) {
        err << "tavrel session: " << p.error << "\n";
        return 2;
    }
    printMessages(err);
    try {
        ModuleLoader loader(QStringLiteral("VEdUvura"));
        loader.load(p.session, 0);
        const QJsonObject globals = sessionJson();
        loader.unload();
        if (p.json) {
            out << QJsonDocument(globals).toJson(QJsonDocument::Indented);
        } else {
            for (auto it = globals.begin(); it != globals.end(); ++it)
                out << it.key() << " = " << it.value().toVariant().toString() << "\n";
        }
        return 0;
    } catch (const std::exception& e) {
        err << "tavrel session: " << errorText(e) << "\n";
        return 1;
    }
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
    const QByteArray operation = p.positional[1].toUtf8();
    printMessages(err);
    try {
        ModuleLoader loader(program->library);
        loader.load(p.session, 0);
        loader.invoke(p.positional[1]);
        loader.unload();
        out << p.positional[1] << ": terminado\n";
        return 0;
    } catch (const std::exception& e) {
        err << "tavrel call: " << errorText(e) << "\n";
        return 1;
    }
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
    const ProgramEntry* program = ProgramCatalog::find(QStringLiteral("VEdUvura"));
    printMessages(err);
    try {
        ModuleLoader loader(program->library);
        loader.load(p.session, 0);
        loader.invoke(QStringLiteral("ExportarPdf"), {p.pdf});
        loader.unload();
        out << "Reporte escrito en " << p.pdf << "\n";
        return 0;
    } catch (const std::exception& e) {
        err << "tavrel report: " << errorText(e) << "\n";
        return 1;
    }
}

} // namespace tavrel
