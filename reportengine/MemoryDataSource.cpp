#include "MemoryDataSource.h"

namespace tavrel::report {

MemoryDataSource::MemoryDataSource(const QString& name, const QStringList& fields)
    : m_name(name), m_fields(fields)
{}

void MemoryDataSource::addRow(const QVariantList& values)
{
    QVariantList row = values.mid(0, m_fields.size());
    while (row.size() < m_fields.size())
        row.append(QVariant());
    m_rows.append(row);
}

void MemoryDataSource::clear()
{
    m_rows.clear();
    m_row = 0;
}

void MemoryDataSource::setFormatter(Formatter formatter)
{
    m_formatter = std::move(formatter);
}

void MemoryDataSource::next()
{
    if (!eof())
        ++m_row;
}

int MemoryDataSource::fieldIndex(const QString& field) const
{
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].compare(field, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

QVariant MemoryDataSource::value(const QString& field) const
{
    const int index = fieldIndex(field);
    if (index < 0 || eof())
        return {};
    return m_rows[m_row][index];
}

QString MemoryDataSource::displayText(const QString& field) const
{
    const QVariant v = value(field);
    if (m_formatter)
        return m_formatter(field, v);
    if (v.typeId() == QMetaType::QByteArray)
        return {};
    return v.toString();
}

} // namespace tavrel::report
