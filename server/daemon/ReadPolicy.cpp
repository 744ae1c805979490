#include "ReadPolicy.h"

#include "ModuleError.h"

#include <QRegularExpression>

namespace tavrel {

void ReadPolicy::check(const QString& commandText)
{
    // Quoted identifiers name the same functions ("pg_sleep"(1)), so quotes are dropped
    // before matching; a Unicode-escaped one (U&"pg\0073leep") could spell them in a way
    // no list matches, so any U& text is refused.
    static const QRegularExpression refused(
        QStringLiteral("\\b(pg_(try_)?advisory\\w*|pg_sleep\\w*|pg_cancel_backend|"
                       "pg_terminate_backend|pg_reload_conf|pg_rotate_logfile\\w*|"
                       "pg_read_(binary_)?file|pg_ls_\\w+|pg_stat_file|pg_file_\\w+|lo_\\w+|"
                       "dblink\\w*|pg_stat_activity|pg_stat_get_activity|pg_stat_get_backend_\\w+|"
                       "pg_notify|query_to_xml\\w*|cursor_to_xml\\w*|ts_stat|ts_rewrite|u&)"),
        QRegularExpression::CaseInsensitiveOption);
    QString text = commandText;
    text.remove(QLatin1Char('"'));
    const QRegularExpressionMatch match = refused.match(text);
    if (!match.hasMatch())
        return;
    const QString what = match.captured(1).compare(QLatin1String("u&"), Qt::CaseInsensitive) == 0
                             ? QStringLiteral("identificadores con escapes Unicode (U&\"…\")")
                             : match.captured(1).toLower();
    throw ModuleError(QStringLiteral("El servidor de aplicaciones no ejecuta por la red "
                                     "consultas que usan %1")
                          .arg(what),
                      ModuleError::Kind::Refusal);
}

} // namespace tavrel
