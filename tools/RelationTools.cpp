#include "RelationTools.h"

#include "CausedPreviewDialog.h"
#include "CoverageDialog.h"
#include "ExecutionChartDialog.h"
#include "ExecutionTotals.h"
#include "MonthlyCausedDialog.h"
#include "RelationCheckDialog.h"
#include "RelationImportDialog.h"
#include "RelationToolCommands.h"
#include "RowHistoryDialog.h"
#include "SessionContext.h"
#include "XlsxWriter.h"
#include "YearArchiveDialog.h"
#include "YearToolCommands.h"

#include <QDate>

namespace tavrel {

namespace {

// The reports stay open beside the window; the checks and the history are answered first.
void showBeside(QDialog* dialog)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void openPreview(const ToolContext& c)
{
    showBeside(new CausedPreviewDialog(
        [server = c.server, company = c.company](int year) {
            return CausedPreviewReport::fetch(*server, company, year);
        },
        c.parent));
}

void openCoverage(const ToolContext& c)
{
    showBeside(new CoverageDialog(
        [server = c.server](int year) { return CoverageReport::fetch(*server, year); }, c.parent));
}

void openExecution(const ToolContext& c)
{
    showBeside(new ExecutionChartDialog(
        [server = c.server, company = c.company] {
            return ExecutionTotals::fetch(*server, company);
        },
        c.parent));
}

void openCheck(const ToolContext& c)
{
    RelationCheckDialog(c.server, c.company, c.parent).exec();
}

void openHistory(const ToolContext& c)
{
    const auto text = [&c](const char* field) {
        return c.currentKey.value(QLatin1String(field)).toString().trimmed();
    };
    RowHistoryDialog::RowKeys keys;
    keys.company = c.company;
    keys.payrollConcept = text("COD_CONT");
    keys.account = text("COD_CUEN");
    keys.related = text("COD_CCOS");
    RowHistoryDialog(c.server, keys, c.parent).exec();
}

void openImport(const ToolContext& c)
{
    RelationImportDialog(c.server, c.company, SessionContext::userCode(), c.refreshProgram,
                         c.parent)
        .exec();
}

void openYearArchive(const ToolContext& c)
{
    YearArchiveDialog::Actions actions{
        [server = c.server, company = c.company](int year, bool apply) {
            return YearArchiveCall::call(*server, {company, year, apply});
        },
        [server = c.server, company = c.company](int year) {
            return YearArchiveReport::fetch(*server, company, year);
        }};
    showBeside(new YearArchiveDialog(actions, QDate::currentDate().year() - 1, c.parent));
}

void openMonthly(const ToolContext& c)
{
    showBeside(new MonthlyCausedDialog(
        [server = c.server, company = c.company](int year) {
            return MonthlyCausedReport::fetch(*server, company, year);
        },
        c.parent));
}

} // namespace

const ProgramTools& RelationTools::tools()
{
    static const ProgramTools relation{
        {{QStringLiteral("VistaPreviaCausado"), QStringLiteral("&Vista previa del causado…"), true,
          openPreview},
         {QStringLiteral("MovimientosSinRelacion"), QStringLiteral("&Movimientos sin relación…"),
          false, openCoverage},
         {QStringLiteral("EjecucionPresupuestal"), QStringLiteral("&Ejecución presupuestal…"),
          false, openExecution},
         {QStringLiteral("RevisarRelacion"), QStringLiteral("&Revisar la relación…"), true,
          openCheck},
         {QStringLiteral("HistorialRegistro"), QStringLiteral("&Historial del registro…"), false,
          openHistory},
         {QStringLiteral("ImportarExcel"), QStringLiteral("&Importar desde Excel…"), true,
          openImport},
         {QStringLiteral("ArchivarVigencia"), QStringLiteral("Archivar la vi&gencia…"), true,
          openYearArchive},
         {QStringLiteral("CausadoMensual"), QStringLiteral("Causado por me&s…"), false,
          openMonthly}},
        RelationToolCommands::commands() + YearToolCommands::commands(),
        [](IAppServer& server, int company, XlsxWriter& book) {
            book.addSheet(ExecutionTotals::fetch(server, company).sheet());
        }};
    return relation;
}

} // namespace tavrel
