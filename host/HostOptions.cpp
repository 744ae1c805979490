#include "HostOptions.h"

#include "CommandLine.h"
#include "HeadlessCommands.h"

namespace tavrel {

HostOptions HostOptions::parse(const QStringList& arguments)
{
    HostOptions o;
    if (!arguments.isEmpty() && (arguments.first() == QLatin1String("init-db") ||
                                 arguments.first() == QLatin1String("backup") ||
                                 HeadlessCommands::handles(arguments.first()))) {
        o.subcommand = arguments.first();
        o.subcommandArgs = arguments.mid(1);
        return o;
    }
    const QCommandLineOption open(QStringLiteral("open"),
                                  QStringLiteral("Abre el programa MODULO al entrar."),
                                  QStringLiteral("MODULO"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Guarda una imagen de la ventana en ARCHIVO.png y termina."),
        QStringLiteral("ARCHIVO.png"));
    CommandLine line(usage(), LoginOptions::options() + QList{open, screenshot});
    const CommandLine::Result result = line.parse(arguments);
    if (result == CommandLine::Result::Answer)
        o.answer = line.answer();
    else if (result == CommandLine::Result::WrongArgument)
        o.error = line.refusal();
    if (result != CommandLine::Result::Run)
        return o;
    o.login = LoginOptions::read(line);
    o.openModule = line.values().value(open);
    o.screenshot = line.values().value(screenshot);
    return o;
}

QString HostOptions::usage()
{
    return QStringLiteral("Uso:\n"
                          "  tavrel [--database D] [--user U] [--password P] [--company N]\n"
                          "         [--protocol http|https --server EQUIPO:PUERTO]\n"
                          "         [--open MODULO] [--screenshot ARCHIVO.png]\n"
                          "  tavrel init-db --database <archivo-sqlite | postgresql://...> "
                          "[--demo] [--scale N]\n"
                          "  tavrel backup --database ARCHIVO-SQLITE --to ARCHIVO\n") +
           HeadlessCommands::synopses() +
           QStringLiteral("Cada subcomando explica sus opciones con --help.\n");
}

} // namespace tavrel
