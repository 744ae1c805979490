#include "RecordLocator.h"

#include "ModuleError.h"

namespace tavrel {

namespace {

bool isText(FieldType type)
{
    return type == FieldType::String || type == FieldType::FixedChar;
}

} // namespace

RecordLocator::RecordLocator(const QList<FieldType>& types, const QVariantList& values,
                             LocateOptions options)
    : m_types(types), m_options(options)
{
    if (types.size() != values.size()) {
        throw ModuleError(QStringLiteral("La búsqueda tiene %1 campos y %2 valores")
                              .arg(types.size())
                              .arg(values.size()));
    }
    for (int i = 0; i < types.size(); ++i) {
        if (isText(types[i]))
            m_values.append(isNull(values[i]) ? QString() : values[i].toString());
        else
            m_values.append(coerce(values[i], types[i]));
    }
}

bool RecordLocator::matches(const QVariantList& keyValues) const
{
    const Qt::CaseSensitivity cs =
        m_options.testFlag(LocateOption::CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int i = 0; i < m_types.size(); ++i) {
        const QVariant& row = keyValues.at(i);
        if (isText(m_types[i])) {
            const QString searched = m_values[i].toString();
            QString text = isNull(row) ? QString() : row.toString();
            if (m_options.testFlag(LocateOption::PartialKey))
                text.truncate(searched.size());
            if (text.compare(searched, cs) != 0)
                return false;
        } else if (isNull(m_values[i]) || isNull(row)) {
            if (isNull(m_values[i]) != isNull(row))
                return false;
        } else if (row != m_values[i]) {
            return false;
        }
    }
    return true;
}

QStringList RecordLocator::splitFieldNames(const QString& fieldList)
{
    QStringList names;
    for (const QString& part : fieldList.split(QLatin1Char(';'))) {
        const QString name = part.trimmed();
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

} // namespace tavrel
