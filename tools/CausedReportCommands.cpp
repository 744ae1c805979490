#include "CausedReportCommands.h"

#include "AppServerFactory.h"
#include "CausedPreviewReport.h"
#include "CommandLine.h"
#include "CoverageReport.h"
#include "HostOptions.h"
#include "HostSession.h"
#include "ModuleError.h"

#include <QJsonDocument>

#include <functional>

namespace tavrel {

const char* const CausedReportCommands::previewSynopsis =
    "tavrel causado-preview --database D --user U --password P --company N [--year A]\n"
    "         (--json | --xlsx ARCHIVO.xlsx)";
const char* const CausedReportCommands::coverageSynopsis =
    "tavrel coverage --database D --user U --password P [--company N] [--year A]\n"
    "         (--json | --xlsx ARCHIVO.xlsx)";

namespace {

struct Request
{
    HostSession session;
    int year = 0;
    bool json = false;
    QString xlsx;
};

// Reads the command line; returns the exit code when the command ends here (help,
// version or a wrong argument), -1 when it runs.
int parse(const char* name, const char* synopsis, bool needsCompany, const QStringList& args,
          QTextStream& out, QTextStream& err, Request& r)
{
    const QString command = QLatin1String(name);
    const QList<QCommandLineOption> options =
        HostOptions::sessionOptions() +
        QList<QCommandLineOption>{
            {QStringLiteral("year"),
             QStringLiteral("El año de los movimientos; sin él, el de FEC_RPCO."),
             QStringLiteral("A")},
            {QStringLiteral("json"), QStringLiteral("Imprime el resultado en JSON.")},
            {QStringLiteral("xlsx"), QStringLiteral("El libro de Excel que se escribe."),
             QStringLiteral("ARCHIVO.xlsx")}};
    CommandLine line(QStringLiteral("Uso: ") + QString::fromUtf8(synopsis), options);
    const CommandLine::Result result = line.parse(args);
    if (result == CommandLine::Result::Answer) {
        out << line.answer();
        return 0;
    }
    QString error;
    if (result == CommandLine::Result::WrongArgument)
        error = HostOptions::refusal(line);
    const QCommandLineParser& v = line.values();
    if (error.isEmpty()) {
        r.session.database = v.value(QStringLiteral("database"));
        r.session.user = v.value(QStringLiteral("user")).toUpper();
        r.session.password = v.value(QStringLiteral("password"));
        r.session.company = v.value(QStringLiteral("company"));
        r.session.protocol = v.value(QStringLiteral("protocol"));
        r.json = v.isSet(QStringLiteral("json"));
        r.xlsx = v.value(QStringLiteral("xlsx"));
        bool ok = true;
        if (v.isSet(QStringLiteral("year")))
            r.year = v.value(QStringLiteral("year")).toInt(&ok);
        if (r.session.database.isEmpty())
            error = QStringLiteral("Falta --database");
        else if (needsCompany && r.session.company.isEmpty())
            error = QStringLiteral("Falta --company");
        else if (!ok || (v.isSet(QStringLiteral("year")) && (r.year < 1 || r.year > 9999)))
            error = QStringLiteral("El año «%1» no es válido: debe estar entre 1 y 9999")
                        .arg(v.value(QStringLiteral("year")));
        else if (r.json == !r.xlsx.isEmpty())
            error = QStringLiteral("Indique --json o --xlsx ARCHIVO");
        else if (!line.positional().isEmpty())
            error = QStringLiteral("Argumento de más: %1").arg(line.positional().first());
    }
    if (!error.isEmpty()) {
        err << "tavrel " << command << ": " << error << "\n";
        return 2;
    }
    return -1;
}

// Checks the login and the company, then runs `work` on the session's server.
int run(const char* name, const Request& r, QTextStream& err,
        const std::function<void(IAppServer&)>& work)
{
    try {
        const auto server = r.session.connectToCompany();
        work(*server);
        return 0;
    } catch (const ModuleError& e) {
        err << "tavrel " << name << ": " << e.message() << "\n";
        return 1;
    }
}

} // namespace

int CausedReportCommands::preview(const QStringList& args, QTextStream& out, QTextStream& err)
{
    Request r;
    if (const int code = parse("causado-preview", previewSynopsis, true, args, out, err, r);
        code >= 0)
        return code;
    return run("causado-preview", r, err, [&](IAppServer& server) {
        const CausedPreviewReport report =
            CausedPreviewReport::fetch(server, r.session.company.toInt(), r.year);
        if (r.json) {
            out << QJsonDocument(report.toJson()).toJson(QJsonDocument::Indented);
            return;
        }
        report.writeXlsx(r.xlsx);
        out << "Vista previa del causado escrita en " << r.xlsx << " (" << report.rows.rows.size()
            << " rubros)\n";
    });
}

int CausedReportCommands::coverage(const QStringList& args, QTextStream& out, QTextStream& err)
{
    Request r;
    if (const int code = parse("coverage", coverageSynopsis, false, args, out, err, r); code >= 0)
        return code;
    return run("coverage", r, err, [&](IAppServer& server) {
        const CoverageReport report = CoverageReport::fetch(server, r.year);
        if (r.json) {
            out << QJsonDocument(report.toJson()).toJson(QJsonDocument::Indented);
            return;
        }
        report.writeXlsx(r.xlsx);
        out << "Movimientos sin relación del año " << report.year() << " escritos en " << r.xlsx
            << " (" << report.total().movements << " movimientos)\n";
    });
}

} // namespace tavrel
