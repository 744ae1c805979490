#pragma once

#include "MonthlyCausedReport.h"
#include "ServerReportDialog.h"

#include <functional>

namespace tavrel {

// "Causado por mes": the caused value that the yearly update gives each relation row of
// the company, month by month with the year's total, and the same figures per budget
// classification. Nothing is written.
class MonthlyCausedDialog : public ServerReportDialog
{
    Q_OBJECT

public:
    // `fetch` computes the report of a year (0: FEC_RPCO) and throws ModuleError.
    using Fetch = std::function<MonthlyCausedReport(int year)>;
    explicit MonthlyCausedDialog(Fetch fetch, QWidget* parent = nullptr);

    QTableWidget* rowsTable() const { return m_rows; }
    QTableWidget* classificationsTable() const { return m_classes; }
    const MonthlyCausedReport& report() const { return m_report; }
    void exportTo(const QString& path) override;

protected:
    QString load(int year) override;
    QString suggestedFile() const override;

private:
    void fillMonths(QTableWidget* table, int row, int first, const QList<double>& months);

    Fetch m_fetch;
    MonthlyCausedReport m_report;
    QTableWidget* m_rows;
    QTableWidget* m_classes;
};

} // namespace tavrel
