#include "RelationImportCommand.h"

#include "CommandLine.h"
#include "LoginOptions.h"
#include "ModuleError.h"
#include "RelationImport.h"

#include <QJsonDocument>

namespace tavrel {

namespace {

const QCommandLineOption kXlsx(QStringLiteral("xlsx"),
                               QStringLiteral("El libro de Excel que se importa."),
                               QStringLiteral("ARCHIVO.xlsx"));
const QCommandLineOption kApply(QStringLiteral("apply"),
                                QStringLiteral("Graba el plan; sin ella solo se muestra."));
const QCommandLineOption kJson(QStringLiteral("json"), QStringLiteral("Imprime en JSON."));

void printText(const RelationImportPlan& plan, QTextStream& out)
{
    for (const RelationImportPlan::Entry& e : plan.entries) {
        out << "fila " << e.sheetRow << ": " << RelationImportPlan::actionName(e.action) << "  "
            << RelationImportPlan::keyText(e.key) << "\n";
        for (auto it = e.changes.constBegin(); it != e.changes.constEnd(); ++it)
            out << "    " << RelationImportPlan::title(it.key()) << ": "
                << (it.value().first.isNull() ? QStringLiteral("vacío")
                                              : it.value().first.toString())
                << " -> "
                << (it.value().second.isNull() ? QStringLiteral("vacío")
                                               : it.value().second.toString())
                << "\n";
        if (!e.message.isEmpty())
            out << "    " << e.message << "\n";
    }
    for (const QVariantMap& key : plan.notInSheet)
        out << "no está en la hoja: " << RelationImportPlan::keyText(key) << "\n";
    out << plan.count(RelationImportPlan::Action::Insert) << " nueva(s), "
        << plan.count(RelationImportPlan::Action::Update) << " actualizada(s), "
        << plan.count(RelationImportPlan::Action::Unchanged) << " sin cambios, "
        << plan.count(RelationImportPlan::Action::Ignored) << " ignorada(s), "
        << plan.count(RelationImportPlan::Action::Refused) << " rechazada(s).\n";
}

} // namespace

ToolCommand RelationImportCommand::command()
{
    return {QStringLiteral("import"),
            QStringLiteral("tavrel import --database D --user U --password P --company N\n"
                           "         --xlsx ARCHIVO.xlsx [--apply] [--json]"),
            {kXlsx, kApply, kJson},
            true,
            [](const CommandLine& line) {
                return line.values().value(kXlsx).isEmpty() ? QStringLiteral("Falta --xlsx ARCHIVO")
                                                            : QString();
            },
            [](IAppServer& server, int company, const CommandLine& line, QTextStream& out) {
                const RelationImportPlan plan =
                    RelationImport::plan(server, company, line.values().value(kXlsx));
                if (line.values().isSet(kJson))
                    out << QJsonDocument(plan.toJson()).toJson(QJsonDocument::Indented);
                else
                    printText(plan, out);
                out.flush();
                if (!line.values().isSet(kApply))
                    return;
                const int written =
                    RelationImport::apply(server, company, LoginOptions::read(line).user, plan);
                if (!line.values().isSet(kJson))
                    out << written << " fila(s) grabada(s).\n";
            }};
}

} // namespace tavrel
