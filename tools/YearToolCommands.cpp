#include "YearToolCommands.h"

#include "ArchiveComparison.h"
#include "CommandLine.h"
#include "IAppServer.h"
#include "MonthlyCausedReport.h"
#include "ToolOptions.h"
#include "YearArchiveCall.h"
#include "YearArchiveReport.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace tavrel {

namespace {

const QCommandLineOption kYear(QStringLiteral("year"), QStringLiteral("El año de la vigencia."),
                               QStringLiteral("A"));
const QCommandLineOption& kJson = ToolOptions::json();
const QCommandLineOption& kXlsx = ToolOptions::writtenWorkbook();
const QCommandLineOption kApply(QStringLiteral("apply"),
                                QStringLiteral("Archiva; sin él solo dice qué archivaría."));
const QCommandLineOption kCompare(QStringLiteral("compare"),
                                  QStringLiteral("Compara la vigencia A1 con la A2 (tavrel "
                                                 "archive --compare A1 A2)."),
                                  QStringLiteral("A1"));

// A year as typed, or nothing.
std::optional<int> yearOf(const QString& text)
{
    bool ok = false;
    const int year = text.toInt(&ok);
    return ok && year >= 1 && year <= 9999 ? std::optional<int>(year) : std::nullopt;
}

QString badYear(const QString& text)
{
    return QStringLiteral("El año «%1» no es válido: debe estar entre 1 y 9999").arg(text);
}

// The year of --year, required.
QString checkYear(const CommandLine& line)
{
    const QCommandLineParser& v = line.values();
    if (!v.isSet(kYear))
        return QStringLiteral("Falta ") + CommandLine::typed(kYear);
    return yearOf(v.value(kYear)) ? QString() : badYear(v.value(kYear));
}

QString checkOutput(const CommandLine& line)
{
    const QCommandLineParser& v = line.values();
    return v.isSet(kJson) == !v.value(kXlsx).isEmpty() ? QStringLiteral("Indique --json o --xlsx "
                                                                        "ARCHIVO")
                                                       : QString();
}

void printJson(QTextStream& out, const QJsonObject& object)
{
    out << QJsonDocument(object).toJson(QJsonDocument::Indented);
}

ToolCommand archiveYear()
{
    return {QStringLiteral("archive-year"),
            QStringLiteral("tavrel archive-year --database D --user U --password P --company N "
                           "--year A\n         [--apply] [--json]"),
            {kYear, kApply, kJson},
            true,
            checkYear,
            [](IAppServer& server, int company, const CommandLine& line, QTextStream& out) {
                const QCommandLineParser& v = line.values();
                const int year = *yearOf(v.value(kYear));
                const YearArchiveReply reply =
                    YearArchiveCall::call(server, {company, year, v.isSet(kApply)});
                if (v.isSet(kJson)) {
                    printJson(out, {{QStringLiteral("empresa"), company},
                                    {QStringLiteral("vigencia"), year},
                                    {QStringLiteral("archivada"), reply.applied},
                                    {QStringLiteral("filas"), reply.rows},
                                    {QStringLiteral("usuario"), reply.user},
                                    {QStringLiteral("fecha"),
                                     reply.when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))}});
                    return;
                }
                if (reply.applied)
                    out << "Vigencia " << year << " de la empresa " << company
                        << " archivada: " << reply.rows << " filas, por " << reply.user << ".\n";
                else
                    out << "Se archivarían " << reply.rows << " filas de la empresa " << company
                        << " en la vigencia " << year
                        << "; no se escribió nada (use --apply para archivar).\n";
            }};
}

ToolCommand archive()
{
    const auto check = [](const CommandLine& line) {
        const QCommandLineParser& v = line.values();
        if (v.isSet(kCompare) == v.isSet(kYear))
            return QStringLiteral("Indique --year A o --compare A1 A2");
        if (v.isSet(kCompare)) {
            if (line.positional().size() != 1)
                return QStringLiteral("--compare espera dos años: --compare A1 A2");
            for (const QString& text : {v.value(kCompare), line.positional().constFirst()}) {
                if (!yearOf(text))
                    return badYear(text);
            }
        } else if (const QString bad = checkYear(line); !bad.isEmpty()) {
            return bad;
        } else if (!line.positional().isEmpty()) {
            return QStringLiteral("Sobra el argumento «%1»").arg(line.positional().constFirst());
        }
        return checkOutput(line);
    };
    ToolCommand command{
        QStringLiteral("archive"),
        QStringLiteral("tavrel archive --database D --user U --password P --company N\n"
                       "         (--year A | --compare A1 A2) (--json | --xlsx ARCHIVO.xlsx)"),
        {kYear, kCompare, kJson, kXlsx},
        true,
        check,
        [](IAppServer& server, int company, const CommandLine& line, QTextStream& out) {
            const QCommandLineParser& v = line.values();
            const QString xlsx = v.value(kXlsx);
            if (v.isSet(kCompare)) {
                const int first = *yearOf(v.value(kCompare));
                const int second = *yearOf(line.positional().constFirst());
                const ArchiveComparison comparison(
                    YearArchiveReport::fetch(server, company, first),
                    YearArchiveReport::fetch(server, company, second));
                if (v.isSet(kJson))
                    return printJson(out, comparison.toJson());
                comparison.writeXlsx(xlsx);
                out << "Vigencias " << first << " y " << second << " comparadas en " << xlsx << " ("
                    << comparison.lines().size() << " claves)\n";
                return;
            }
            const YearArchiveReport report =
                YearArchiveReport::fetch(server, company, *yearOf(v.value(kYear)));
            if (v.isSet(kJson))
                return printJson(out, report.toJson());
            report.writeXlsx(xlsx);
            out << "Vigencia " << report.year << " escrita en " << xlsx << " ("
                << report.rows.rows.size() << " filas)\n";
        }};
    command.positionals = 1;
    return command;
}

ToolCommand monthly()
{
    return {QStringLiteral("causado-mensual"),
            QStringLiteral("tavrel causado-mensual --database D --user U --password P --company N "
                           "--year A\n         (--json | --xlsx ARCHIVO.xlsx)"),
            {kYear, kJson, kXlsx},
            true,
            [](const CommandLine& line) {
                const QString bad = checkYear(line);
                return bad.isEmpty() ? checkOutput(line) : bad;
            },
            [](IAppServer& server, int company, const CommandLine& line, QTextStream& out) {
                const QCommandLineParser& v = line.values();
                const MonthlyCausedReport report =
                    MonthlyCausedReport::fetch(server, company, *yearOf(v.value(kYear)));
                if (v.isSet(kJson))
                    return printJson(out, report.toJson());
                report.writeXlsx(v.value(kXlsx));
                out << "Causado por mes de " << report.year() << " escrito en " << v.value(kXlsx)
                    << " (" << report.rows.rows.size() << " rubros)\n";
            }};
}

} // namespace

QList<ToolCommand> YearToolCommands::commands()
{
    return {archiveYear(), archive(), monthly()};
}

} // namespace tavrel
