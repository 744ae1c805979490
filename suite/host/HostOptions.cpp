#include "HostOptions.h"

namespace tavrel {

namespace {
const QStringList kSubcommands = {QStringLiteral("init-db"), QStringLiteral("session"),
                                  QStringLiteral("call"), QStringLiteral("report")};
}

HostOptions HostOptions::parse(const QStringList& arguments)
{
    HostOptions o;
    if (!arguments.isEmpty() && kSubcommands.contains(arguments.first())) {
        o.subcommand = arguments.first();
        o.subcommandArgs = arguments.mid(1);
        return o;
    }
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        QString* target = nullptr;
        if (a == QLatin1String("--database"))
            target = &o.database;
        else if (a == QLatin1String("--user"))
            target = &o.user;
        else if (a == QLatin1String("--password"))
            target = &o.password;
        else if (a == QLatin1String("--company"))
            target = &o.company;
        else if (a == QLatin1String("--open"))
            target = &o.openModule;
        else if (a == QLatin1String("--screenshot"))
            target = &o.screenshot;
        else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.subcommand = QStringLiteral("help");
            return o;
        } else {
            o.error = QStringLiteral("Opción desconocida: %1").arg(a);
            return o;
        }
        if (i + 1 >= arguments.size()) {
            o.error = QStringLiteral("Falta el valor de %1").arg(a);
            return o;
        }
        *target = arguments[++i];
    }
    return o;
}

QString HostOptions::usage()
{
    return QStringLiteral(
        "Uso:\n"
        "  tavrel [--database D] [--user U] [--password P] [--company N]\n"
        "         [--open MODULO] [--screenshot ARCHIVO.png]\n"
        "  tavrel init-db --database <archivo-sqlite | postgresql://...> [--demo] [--scale N]\n"
        "  tavrel session --database D --user U --password P --company N [--protocol X]\n"
        "         [--alias A] [--hpv TEXTO] [--version \"V;F\"] [--json]\n"
        "  tavrel call --database D --user U --password P --company N MODULO OPERACION\n"
        "  tavrel report --database D --user U --password P --company N --pdf ARCHIVO.pdf\n");
}

} // namespace tavrel
