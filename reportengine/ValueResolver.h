#pragma once

#include "TavrelReportsExport.h"

#include "ReportDataSource.h"
#include "ReportSettings.h"
#include "TextTemplate.h"

#include <QDateTime>
#include <QList>
#include <QVariant>

#include <functional>

namespace tavrel::report {

class Report;

// Gives the expressions of text templates their values during one layout: fields of
// the data sources, the report's variables and the system values
//   PAGE#  TOTALPAGES#  DATE  TIME
//   LINE#   the record number (1-based) of the data band being printed
//   COUNT#  the master records printed so far (in a summary: all of them)
//   REPORTTITLE  the report's title as it is at the run
// System value names are case-insensitive. Unknown names are refused with a message.
class TAVREL_REPORTS_EXPORT ValueResolver
{
public:
    // Called with a variable's name and its design value; may replace the value.
    using VariablesCallback = std::function<void(const QString& name, QVariant& value)>;

    ValueResolver(const Report& report, const QList<ReportDataSource*>& sources,
                  VariablesCallback variables, const ReportSettings& settings);

    // nullptr when no data source has that name (case-insensitive).
    ReportDataSource* findSource(const QString& name) const;

    // The text of a template for the object named `objectName` (named in errors).
    QString evaluate(const TextTemplate& text, const QString& objectName);
    // The raw value of a field, checked like a field of a template.
    QVariant fieldValue(const QString& source, const QString& field, const QString& objectName);

    void setPage(int page) { m_page = page; }
    void setTotalPages(int total) { m_totalPages = total; }
    void setLine(int line) { m_line = line; }
    void setCount(int count) { m_count = count; }
    int count() const { return m_count; }
    // Whether any evaluated text used TOTALPAGES#: the layout then needs another pass.
    bool totalPagesUsed() const { return m_totalPagesUsed; }

private:
    QString resolve(const TextTemplate::Token& token, const QString& objectName);
    ReportDataSource* checkedSource(const QString& source, const QString& field,
                                    const QString& objectName) const;
    QString variableText(const QString& name, const QString& objectName) const;
    QString valueText(const QVariant& value) const;

    const Report& m_report;
    QList<ReportDataSource*> m_sources;
    VariablesCallback m_variables;
    ReportSettings m_settings;
    int m_page = 0;
    int m_totalPages = 0;
    int m_line = 0;
    int m_count = 0;
    bool m_totalPagesUsed = false;
};

} // namespace tavrel::report
