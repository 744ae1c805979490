#pragma once

#include "TavrelReportsExport.h"

#include "ReportDataSource.h"

#include <QList>
#include <QStringList>
#include <QVariantList>

#include <functional>

namespace tavrel::report {

// Records held in memory, for tests and small fixed lists.
class TAVREL_REPORTS_EXPORT MemoryDataSource : public ReportDataSource
{
public:
    using Formatter = std::function<QString(const QString& field, const QVariant& value)>;

    MemoryDataSource(const QString& name, const QStringList& fields);

    // One value per field, in field order; missing trailing values are null.
    void addRow(const QVariantList& values);
    void clear();
    // Turns values into display text; by default QVariant::toString(), blobs give "".
    void setFormatter(Formatter formatter);

    QString name() const override { return m_name; }
    void first() override { m_row = 0; }
    void seek(int index) override { m_row = index; }
    void next() override;
    bool eof() const override { return m_row >= m_rows.size(); }
    int recordCount() const override { return int(m_rows.size()); }
    bool hasField(const QString& field) const override { return fieldIndex(field) >= 0; }
    QString displayText(const QString& field) const override;
    QVariant value(const QString& field) const override;

private:
    int fieldIndex(const QString& field) const;

    QString m_name;
    QStringList m_fields;
    QList<QVariantList> m_rows;
    qsizetype m_row = 0;
    Formatter m_formatter;
};

} // namespace tavrel::report
