#include "ValueResolver.h"

#include "ModuleError.h"
#include "Report.h"

namespace tavrel::report {

ValueResolver::ValueResolver(const Report& report, const QList<ReportDataSource*>& sources,
                             VariablesCallback variables, const ReportSettings& settings)
    : m_report(report), m_sources(sources), m_variables(std::move(variables)), m_settings(settings)
{
    if (!m_settings.runTime.isValid())
        m_settings.runTime = QDateTime::currentDateTime();
}

ReportDataSource* ValueResolver::findSource(const QString& name) const
{
    for (ReportDataSource* source : m_sources) {
        if (source->name().compare(name, Qt::CaseInsensitive) == 0)
            return source;
    }
    return nullptr;
}

QString ValueResolver::evaluate(const TextTemplate& text, const QString& objectName)
{
    return text.evaluate(
        [&](const TextTemplate::Token& token) { return resolve(token, objectName); });
}

ReportDataSource* ValueResolver::checkedSource(const QString& source, const QString& field,
                                               const QString& objectName) const
{
    ReportDataSource* found = findSource(source);
    if (!found) {
        throw ModuleError(QStringLiteral("El objeto «%1» del informe usa el origen de datos «%2», "
                                         "que no está registrado.")
                              .arg(objectName, source));
    }
    if (!found->hasField(field)) {
        throw ModuleError(QStringLiteral("El objeto «%1» del informe usa el campo «%2», que no "
                                         "existe en el origen de datos «%3».")
                              .arg(objectName, field, source));
    }
    return found;
}

QVariant ValueResolver::fieldValue(const QString& source, const QString& field,
                                   const QString& objectName)
{
    return checkedSource(source, field, objectName)->value(field);
}

QString ValueResolver::resolve(const TextTemplate::Token& token, const QString& objectName)
{
    if (token.kind == TextTemplate::Token::Kind::Field)
        return checkedSource(token.source, token.field, objectName)->displayText(token.field);

    const QString system = token.text.toUpper();
    if (system == u"PAGE#")
        return QString::number(m_page);
    if (system == u"TOTALPAGES#") {
        m_totalPagesUsed = true;
        return QString::number(m_totalPages);
    }
    if (system == u"DATE")
        return m_settings.runTime.date().toString(m_settings.shortDateFormat);
    if (system == u"TIME")
        return m_settings.runTime.time().toString(m_settings.timeFormat);
    if (system == u"LINE#")
        return QString::number(m_line);
    if (system == u"COUNT#")
        return QString::number(m_count);
    if (system == u"REPORTTITLE")
        return m_report.title();
    return variableText(token.text, objectName);
}

QString ValueResolver::variableText(const QString& name, const QString& objectName) const
{
    const bool declared = m_report.hasVariable(name);
    QVariant value = m_report.variableValue(name);
    if (m_variables)
        m_variables(name, value);
    if (!declared && !value.isValid()) {
        throw ModuleError(QStringLiteral("El objeto «%1» del informe usa «[%2]», que no es una "
                                         "variable del informe ni un valor del sistema.")
                              .arg(objectName, name));
    }
    return valueText(value);
}

QString ValueResolver::valueText(const QVariant& value) const
{
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(m_settings.shortDateFormat);
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        return dateTime.date().toString(m_settings.shortDateFormat) + u' ' +
               dateTime.time().toString(m_settings.timeFormat);
    }
    case QMetaType::QTime:
        return value.toTime().toString(m_settings.timeFormat);
    default:
        return value.toString();
    }
}

} // namespace tavrel::report
