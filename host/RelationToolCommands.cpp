#include "RelationToolCommands.h"

#include "AppServerFactory.h"
#include "CommandLine.h"
#include "HostOptions.h"
#include "HostSession.h"
#include "ModuleError.h"
#include "RelationCheckCall.h"
#include "RowHistoryDialog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>
#include <memory>

namespace tavrel {

namespace {

const char* const kCheck = "tavrel check --database D --user U --password P --company N [--json]";
const char* const kHistory =
    "tavrel history --database D --user U --password P --company N --payrollConcept C\n"
    "         --account A [--related R] [--json]";

struct Command
{
    HostSession session;
    int company = 0;
    bool json = false;
    QCommandLineParser const* values = nullptr;
};

QJsonValue json(const QVariant& v)
{
    if (v.isNull())
        return QJsonValue::Null;
    if (v.typeId() == QMetaType::QString)
        return v.toString().trimmed();
    return QJsonValue::fromVariant(v);
}

// Reads the command line, logs in and runs `work` with the server. Returns the exit code.
int run(const char* name, const char* synopsis, const QList<QCommandLineOption>& extra,
        const QStringList& args, QTextStream& out, QTextStream& err,
        const std::function<QString(const QCommandLineParser&)>& check,
        const std::function<void(IAppServer&, const Command&)>& work)
{
    QList<QCommandLineOption> options = HostOptions::sessionOptions();
    options += QCommandLineOption(QStringLiteral("json"), QStringLiteral("Imprime en JSON."));
    options += extra;
    CommandLine line(QStringLiteral("Uso: ") + QString::fromUtf8(synopsis), options);
    const CommandLine::Result result = line.parse(args);
    if (result == CommandLine::Result::Answer) {
        out << line.answer();
        return 0;
    }
    const QCommandLineParser& values = line.values();
    QString problem;
    if (result == CommandLine::Result::WrongArgument)
        problem = HostOptions::refusal(line);
    else if (!line.positional().isEmpty())
        problem = QStringLiteral("Opción desconocida: %1").arg(line.positional().first());
    Command c;
    c.session.database = values.value(QStringLiteral("database"));
    c.session.user = values.value(QStringLiteral("user")).trimmed().toUpper();
    c.session.password = values.value(QStringLiteral("password"));
    c.session.protocol = values.value(QStringLiteral("protocol"));
    c.session.company = values.value(QStringLiteral("company"));
    c.json = values.isSet(QStringLiteral("json"));
    c.values = &values;
    bool ok = false;
    c.company = c.session.company.toInt(&ok);
    if (problem.isEmpty() && c.session.database.isEmpty())
        problem = QStringLiteral("Falta --database");
    if (problem.isEmpty() && !ok)
        problem = QStringLiteral("--company espera el código numérico de la empresa y recibió «%1»")
                      .arg(c.session.company);
    if (problem.isEmpty())
        problem = check(values);
    if (!problem.isEmpty()) {
        err << "tavrel " << name << ": " << problem << "\n";
        return 2;
    }
    try {
        const std::shared_ptr<IAppServer> server = c.session.connectToCompany();
        work(*server, c);
        return 0;
    } catch (const ModuleError& e) {
        err << "tavrel " << name << ": " << e.message() << "\n";
        return 1;
    }
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

} // namespace

bool RelationToolCommands::handles(const QString& command)
{
    return command == QLatin1String("check") || command == QLatin1String("history");
}

QString RelationToolCommands::synopses()
{
    return QStringLiteral("  %1\n  %2\n")
        .arg(QString::fromUtf8(kCheck), QString::fromUtf8(kHistory));
}

int RelationToolCommands::check(const QStringList& args, QTextStream& out, QTextStream& err)
{
    return run(
        "check", kCheck, {}, args, out, err, [](const QCommandLineParser&) { return QString(); },
        [&out](IAppServer& server, const Command& c) {
            const QList<RelationWarning> warnings =
                RelationCheckCall::call(server, {c.company}).warnings;
            const auto level = [](const RelationWarning& w) {
                return w.level == RelationWarning::Level::Note ? QStringLiteral("nota")
                                                               : QStringLiteral("aviso");
            };
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
        });
}

int RelationToolCommands::history(const QStringList& args, QTextStream& out, QTextStream& err)
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
    const auto check = [&](const QCommandLineParser& v) {
        bool ok = false;
        v.value(payrollConcept).toInt(&ok);
        if (!ok)
            return QStringLiteral(
                "--payrollConcept espera el código numérico de la contabilización");
        if (v.value(account).trimmed().isEmpty())
            return QStringLiteral("Falta --account");
        if (v.isSet(related)) {
            v.value(related).toInt(&ok);
            if (!ok)
                return QStringLiteral("--related espera un código numérico");
        }
        return QString();
    };
    return run(
        "history", kHistory, {payrollConcept, account, related}, args, out, err, check,
        [&](IAppServer& server, const Command& c) {
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
        });
}

} // namespace tavrel
