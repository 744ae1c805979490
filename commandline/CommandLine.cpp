#include "CommandLine.h"

#include <QCoreApplication>

namespace tavrel {

namespace {

QList<QCommandLineOption> answeringOptions()
{
    return {{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Muestra esta ayuda.")},
            {{QStringLiteral("v"), QStringLiteral("version")},
             QStringLiteral("Muestra el programa y su versión.")}};
}

// The option an argument such as "--name=value" or "-name" stands for.
QString optionName(const QString& argument)
{
    const qsizetype dashes = argument.startsWith(QLatin1String("--")) ? 2 : 1;
    return argument.mid(dashes).section(QLatin1Char('='), 0, 0);
}

// The arguments the parser reads as options: those that start with a dash, up to "--".
QStringList optionArguments(const QStringList& arguments)
{
    QStringList options;
    for (const QString& a : arguments) {
        if (a == QLatin1String("--"))
            break;
        if (a.size() > 1 && a.startsWith(QLatin1Char('-')))
            options << a;
    }
    return options;
}

} // namespace

CommandLine::CommandLine(const QString& usage, const QList<QCommandLineOption>& options,
                         const QString& program, qsizetype positionals)
    : m_usage(usage.trimmed()), m_program(program), m_positionals(positionals)
{
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOptions(options + answeringOptions());
    for (const QCommandLineOption& option : options + answeringOptions()) {
        if (option.valueName().isEmpty())
            m_flags += option.names();
    }
}

CommandLine::Result CommandLine::parse(const QStringList& arguments)
{
    m_answer.clear();
    m_refusal.clear();
    if (!m_parser.parse(QStringList{QStringLiteral("tavrel")} + arguments)) {
        // The parser names only the first unknown option, without its dashes; a value given
        // to an option that takes none, or missing after the last one, it only describes.
        const QStringList unknown = m_parser.unknownOptionNames();
        for (const QString& a : optionArguments(arguments)) {
            if (unknown.isEmpty() ? a.contains(QLatin1Char('=')) && m_flags.contains(optionName(a))
                                  : optionName(a) == unknown.first()) {
                m_refusal = QStringLiteral("Opción desconocida: %1").arg(a);
                return Result::WrongArgument;
            }
        }
        m_refusal = QStringLiteral("Falta el valor de %1").arg(arguments.last());
        return Result::WrongArgument;
    }
    if (m_parser.isSet(QStringLiteral("help"))) {
        const QString options = m_parser.helpText();
        m_answer = m_usage + QStringLiteral("\n\nOpciones:\n") +
                   options.mid(options.indexOf(QLatin1String("\n  ")) + 1);
        return Result::Answer;
    }
    if (m_parser.isSet(QStringLiteral("version"))) {
        m_answer = QStringLiteral("%1 %2\n").arg(m_program, QCoreApplication::applicationVersion());
        return Result::Answer;
    }
    if (positional().size() > m_positionals) {
        m_refusal = QStringLiteral("Argumento de más: %1").arg(positional().at(m_positionals));
        return Result::WrongArgument;
    }
    return Result::Run;
}

QString CommandLine::typed(const QCommandLineOption& option)
{
    return QStringLiteral("--") + option.names().constFirst();
}

} // namespace tavrel
