#include "CausedReportCommands.h"

#include "CausedPreviewReport.h"
#include "CommandLine.h"
#include "CoverageReport.h"
#include "ToolOptions.h"

#include <QJsonDocument>

namespace tavrel {

namespace {

const QCommandLineOption kYear(QStringLiteral("year"),
                               QStringLiteral("El año de los movimientos; sin él, el de FEC_RPCO."),
                               QStringLiteral("A"));
const QCommandLineOption& kJson = ToolOptions::json();
const QCommandLineOption& kXlsx = ToolOptions::writtenWorkbook();

// The year asked for, 0 for FEC_RPCO's.
int year(const CommandLine& line)
{
    return line.values().value(kYear).toInt();
}

QString check(const CommandLine& line)
{
    const QCommandLineParser& v = line.values();
    bool ok = true;
    const int asked = v.isSet(kYear) ? v.value(kYear).toInt(&ok) : 1;
    if (!ok || asked < 1 || asked > 9999)
        return QStringLiteral("El año «%1» no es válido: debe estar entre 1 y 9999")
            .arg(v.value(kYear));
    if (v.isSet(kJson) == !v.value(kXlsx).isEmpty())
        return QStringLiteral("Indique --json o --xlsx ARCHIVO");
    return QString();
}

ToolCommand
command(const char* name, const char* synopsis, bool needsCompany,
        const std::function<void(IAppServer&, int, const CommandLine&, QTextStream&)>& run)
{
    return {QLatin1String(name),
            QString::fromUtf8(synopsis),
            {kYear, kJson, kXlsx},
            needsCompany,
            check,
            run};
}

} // namespace

QList<ToolCommand> CausedReportCommands::commands()
{
    const ToolCommand preview = command(
        "causado-preview",
        "tavrel causado-preview --database D --user U --password P --company N [--year A]\n"
        "         (--json | --xlsx ARCHIVO.xlsx)",
        true, [](IAppServer& server, int company, const CommandLine& line, QTextStream& out) {
            const CausedPreviewReport report =
                CausedPreviewReport::fetch(server, company, year(line));
            if (line.values().isSet(kJson)) {
                out << QJsonDocument(report.toJson()).toJson(QJsonDocument::Indented);
                return;
            }
            const QString xlsx = line.values().value(kXlsx);
            report.writeXlsx(xlsx);
            out << "Vista previa del causado escrita en " << xlsx << " (" << report.rows.rows.size()
                << " rubros)\n";
        });
    const ToolCommand coverage =
        command("coverage",
                "tavrel coverage --database D --user U --password P [--company N] [--year A]\n"
                "         (--json | --xlsx ARCHIVO.xlsx)",
                false, [](IAppServer& server, int, const CommandLine& line, QTextStream& out) {
                    const CoverageReport report = CoverageReport::fetch(server, year(line));
                    if (line.values().isSet(kJson)) {
                        out << QJsonDocument(report.toJson()).toJson(QJsonDocument::Indented);
                        return;
                    }
                    const QString xlsx = line.values().value(kXlsx);
                    report.writeXlsx(xlsx);
                    out << "Movimientos sin relación del año " << report.year() << " escritos en "
                        << xlsx << " (" << report.total().movements << " movimientos)\n";
                });
    return {preview, coverage};
}

} // namespace tavrel
