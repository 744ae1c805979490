#pragma once

#include "CoverageReport.h"
#include "ServerReportDialog.h"

#include <functional>

namespace tavrel {

// "Movimientos sin relación": the debit movements of a year whose company, related code,
// concept and account match no relation row, grouped by those keys, with the grand total.
class CoverageDialog : public ServerReportDialog
{
    Q_OBJECT

public:
    // `fetch` computes the report of a year (0: FEC_RPCO) and throws ModuleError.
    using Fetch = std::function<CoverageReport(int year)>;
    explicit CoverageDialog(Fetch fetch, QWidget* parent = nullptr);

    QTableWidget* groupsTable() const { return m_groups; }
    const CoverageReport& report() const { return m_report; }
    void exportTo(const QString& path) override;

protected:
    QString load(int year) override;
    QString suggestedFile() const override;

private:
    Fetch m_fetch;
    CoverageReport m_report;
    QTableWidget* m_groups;
};

} // namespace tavrel
