#include "RelationToolCommands.h"

#include "CausedReportCommands.h"
#include "CommandLine.h"
#include "IAppServer.h"
#include "RelationCheckCall.h"
#include "RelationImportCommand.h"
#include "RowHistoryCall.h"
#include "RowHistoryDialog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tavrel {

namespace {

const char* const kCheck = "tavrel check --database D --user U --password P --company N [--json]";
const char* const kHistory =
    "tavrel history --database D --user U --password P --company N --concept C\n"
    "         --account A [--related R] [--json]";

QCommandLineOption jsonOption()
{
    return {QStringLiteral("json"), QStringLiteral("Imprime en JSON.")};
}

struct Command
{
    int company = 0;
    bool json = false;
    QCommandLineParser const* values = nullptr;
};

Command command(int company, const CommandLine& line)
{
    return {company, line.values().isSet(QStringLiteral("json")), &line.values()};
}

QJsonValue json(const QVariant& v)
{
    if (v.isNull())
        return QJsonValue::Null;
    if (v.typeId() == QMetaType::QString)
        return v.toString().trimmed();
    return QJsonValue::fromVariant(v);
}

// An entry's changes as the history stores them: {"columna", "antes", "despues"} for each
// column of a row's change, {"sentencia", "filas", "vacios_a_cero"} for a statement.
QJsonValue changesJson(const RowHistoryEntry& e)
{
    if (e.rowKey < 0) {
        QJsonObject statement{{QStringLiteral("sentencia"), e.statement},
                              {QStringLiteral("filas"), e.rows}};
        if (e.emptiedToZero >= 0)
            statement.insert(QStringLiteral("vacios_a_cero"), e.emptiedToZero);
        return statement;
    }
    QJsonArray changes;
    for (const RowHistoryChange& c : e.changes)
        changes.append(QJsonObject{{QStringLiteral("columna"), c.column},
                                   {QStringLiteral("antes"), json(c.before)},
                                   {QStringLiteral("despues"), json(c.after)}});
    return changes;
}

QString level(const RelationWarning& w)
{
    return w.level == RelationWarning::Level::Note ? QStringLiteral("nota")
                                                   : QStringLiteral("aviso");
}

ToolCommand check()
{
    return {
        QStringLiteral("check"),
        QString::fromUtf8(kCheck),
        {jsonOption()},
        true,
        [](const CommandLine&) { return QString(); },
        [](IAppServer& server, int company, const CommandLine& line, QTextStream& out) {
            const Command c = command(company, line);
            const QList<RelationWarning> warnings =
                RelationCheckCall::call(server, {c.company}).warnings;
            if (!c.json) {
                for (const RelationWarning& w : warnings)
                    out << level(w) << ": " << w.message << "\n";
                out << "Empresa " << c.company << ": " << warnings.size() << " advertencia(s).\n";
                return;
            }
            QJsonArray list;
            for (const RelationWarning& w : warnings)
                list.append(QJsonObject{{QStringLiteral("fila"), w.rowKey},
                                        {QStringLiteral("contabilizacion"), json(w.payrollConcept)},
                                        {QStringLiteral("cuenta"), json(w.account)},
                                        {QStringLiteral("codigo_relacionado"), json(w.related)},
                                        {QStringLiteral("revision"), w.check},
                                        {QStringLiteral("nivel"), level(w)},
                                        {QStringLiteral("mensaje"), w.message}});
            out << QJsonDocument(QJsonObject{{QStringLiteral("empresa"), c.company},
                                             {QStringLiteral("advertencias"), list}})
                       .toJson(QJsonDocument::Indented);
        }};
}

ToolCommand history()
{
    const QCommandLineOption payrollConcept(QStringLiteral("concept"),
                                            QStringLiteral("La contabilización de la fila."),
                                            QStringLiteral("C"));
    const QCommandLineOption account(QStringLiteral("account"),
                                     QStringLiteral("La cuenta contable de la fila."),
                                     QStringLiteral("A"));
    const QCommandLineOption related(
        QStringLiteral("related"),
        QStringLiteral("El código relacionado de la fila (sin él: la fila que no tiene)."),
        QStringLiteral("R"));
    const auto check = [=](const CommandLine& line) {
        const QCommandLineParser& v = line.values();
        bool ok = false;
        v.value(payrollConcept).toInt(&ok);
        if (!ok)
            return CommandLine::typed(payrollConcept) +
                   QStringLiteral(" espera el código numérico de la contabilización");
        if (v.value(account).trimmed().isEmpty())
            return QStringLiteral("Falta ") + CommandLine::typed(account);
        if (v.isSet(related)) {
            v.value(related).toInt(&ok);
            if (!ok)
                return CommandLine::typed(related) + QStringLiteral(" espera un código numérico");
        }
        return QString();
    };
    return {
        QStringLiteral("history"),
        QString::fromUtf8(kHistory),
        {payrollConcept, account, related, jsonOption()},
        true,
        check,
        [=](IAppServer& server, int company, const CommandLine& given, QTextStream& out) {
            const Command c = command(company, given);
            const QCommandLineParser& v = *c.values;
            const QList<RowHistoryEntry> entries =
                RowHistoryCall::call(
                    server, {c.company, v.value(payrollConcept).toInt(), v.value(account).trimmed(),
                             v.isSet(related) ? std::optional<int>(v.value(related).toInt())
                                              : std::nullopt})
                    .entries;
            QJsonArray list;
            for (const RowHistoryEntry& e : entries) {
                const QString when = e.when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
                if (!c.json) {
                    out << when << "  " << e.user << "  "
                        << RowHistoryDialog::operationName(e.operation)
                        << (e.rowKey < 0 ? QStringLiteral(" (%1 filas)").arg(e.rows) : QString())
                        << "\n";
                    for (const QString& line :
                         RowHistoryDialog::changesText(e).split(QLatin1Char('\n')))
                        out << "    " << line << "\n";
                    continue;
                }
                list.append(QJsonObject{{QStringLiteral("fecha"), when},
                                        {QStringLiteral("usuario"), e.user},
                                        {QStringLiteral("operacion"), e.operation},
                                        {QStringLiteral("fila"), e.rowKey},
                                        {QStringLiteral("filas"), e.rows},
                                        {QStringLiteral("cambios"), changesJson(e)}});
            }
            if (!c.json) {
                out << entries.size() << " cambio(s) registrado(s).\n";
                return;
            }
            out << QJsonDocument(
                       QJsonObject{
                           {QStringLiteral("empresa"), c.company},
                           {QStringLiteral("contabilizacion"), v.value(payrollConcept).toInt()},
                           {QStringLiteral("cuenta"), v.value(account).trimmed()},
                           {QStringLiteral("codigo_relacionado"),
                            v.isSet(related) ? QJsonValue(v.value(related).toInt())
                                             : QJsonValue(QJsonValue::Null)},
                           {QStringLiteral("historial"), list}})
                       .toJson(QJsonDocument::Indented);
        }};
}

} // namespace

QList<ToolCommand> RelationToolCommands::commands()
{
    return QList<ToolCommand>{check(), history()} + CausedReportCommands::commands() +
           QList<ToolCommand>{RelationImportCommand::command()};
}

} // namespace tavrel
