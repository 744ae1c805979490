#include "RelationToolCommands.h"

#include "CausedReportCommands.h"
#include "CommandLine.h"
#include "IAppServer.h"
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
            QVariantList call{c.company, QVariantList()};
            server.invoke(QStringLiteral("RevisarRelacion"), call);
            const QVariantList warnings = call[1].toList();
            if (!c.json) {
                for (const QVariant& v : warnings) {
                    const QVariantList w = v.toList();
                    out << (w.value(5).toString() == QLatin1String("nota") ? "nota: " : "aviso: ")
                        << w.value(6).toString() << "\n";
                }
                out << "Empresa " << c.company << ": " << warnings.size() << " advertencia(s).\n";
                return;
            }
            QJsonArray list;
            for (const QVariant& v : warnings) {
                const QVariantList w = v.toList();
                list.append(QJsonObject{{QStringLiteral("fila"), json(w.value(0))},
                                        {QStringLiteral("contabilizacion"), json(w.value(1))},
                                        {QStringLiteral("cuenta"), json(w.value(2))},
                                        {QStringLiteral("codigo_relacionado"), json(w.value(3))},
                                        {QStringLiteral("revision"), json(w.value(4))},
                                        {QStringLiteral("nivel"), json(w.value(5))},
                                        {QStringLiteral("mensaje"), json(w.value(6))}});
            }
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
            QVariantList call{
                c.company, v.value(payrollConcept).toInt(), v.value(account).trimmed(),
                v.isSet(related) ? QVariant(v.value(related).toInt()) : QVariant(), QVariantList()};
            server.invoke(QStringLiteral("HistorialRegistro"), call);
            const QVariantList entries = call[4].toList();
            QJsonArray list;
            for (const QVariant& item : entries) {
                const QVariantList e = item.toList();
                const QString when =
                    e.value(0).toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
                if (!c.json) {
                    out << when << "  " << e.value(1).toString() << "  "
                        << RowHistoryDialog::operationName(e.value(2).toString())
                        << (e.value(3).toLongLong() < 0
                                ? QStringLiteral(" (%1 filas)").arg(e.value(4).toInt())
                                : QString())
                        << "\n";
                    for (const QString& line : RowHistoryDialog::changesText(e.value(5).toString())
                                                   .split(QLatin1Char('\n')))
                        out << "    " << line << "\n";
                    continue;
                }
                const QJsonDocument changes =
                    QJsonDocument::fromJson(e.value(5).toString().toUtf8());
                list.append(QJsonObject{
                    {QStringLiteral("fecha"), when},
                    {QStringLiteral("usuario"), e.value(1).toString()},
                    {QStringLiteral("operacion"), e.value(2).toString()},
                    {QStringLiteral("fila"), e.value(3).toLongLong()},
                    {QStringLiteral("filas"), e.value(4).toInt()},
                    {QStringLiteral("cambios"), changes.isArray() ? QJsonValue(changes.array())
                                                                  : QJsonValue(changes.object())}});
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
    return QList<ToolCommand>{check(), history()} + CausedReportCommands::commands();
}

} // namespace tavrel
