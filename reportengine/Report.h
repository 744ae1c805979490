#pragma once

#include "TavrelReportsExport.h"

#include "Band.h"
#include "Page.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace tavrel::report {

// A banded report layout: the page, the bands in print order and the declared variables.
class TAVREL_REPORTS_EXPORT Report
{
public:
    Report();
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    // Document title, written into the PDF and shown by the preview.
    const QString& title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }

    Page& page() { return m_page; }
    const Page& page() const { return m_page; }

    Band& addBand(Band::Kind kind, qreal height, const QString& name = {});
    const std::vector<std::unique_ptr<Band>>& bands() const { return m_bands; }
    Band* band(const QString& name) const;

    // When every data source of the data bands is empty the report prints one page with
    // page header and footer; with this off it prints nothing at all.
    bool printIfEmpty() const { return m_printIfEmpty; }
    void setPrintIfEmpty(bool print) { m_printIfEmpty = print; }

    // Variables the templates may name, with their design values. The variables callback
    // of the layout engine supplies run-time values.
    void addVariable(const QString& name, const QVariant& designValue = {});
    bool hasVariable(const QString& name) const;
    QVariant variableValue(const QString& name) const;
    QStringList variableNames() const;

private:
    QString m_title;
    Page m_page;
    std::vector<std::unique_ptr<Band>> m_bands;
    bool m_printIfEmpty = true;
    QList<std::pair<QString, QVariant>> m_variables;
};

} // namespace tavrel::report
