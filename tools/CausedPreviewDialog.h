#pragma once

#include "CausedPreviewReport.h"
#include "ServerReportDialog.h"

#include <functional>

namespace tavrel {

// "Vista previa del causado": the caused value of every relation row now and after the
// update, rows that would change highlighted, and the totals per company. Nothing is
// written.
class CausedPreviewDialog : public ServerReportDialog
{
    Q_OBJECT

public:
    // `fetch` computes the report of a year (0: FEC_RPCO) and throws ModuleError.
    using Fetch = std::function<CausedPreviewReport(int year)>;
    explicit CausedPreviewDialog(Fetch fetch, QWidget* parent = nullptr);

    QTableWidget* rowsTable() const { return m_rows; }
    QTableWidget* totalsTable() const { return m_totals; }
    const CausedPreviewReport& report() const { return m_report; }
    void exportTo(const QString& path) override;

protected:
    QString load(int year) override;
    QString suggestedFile() const override;

private:
    Fetch m_fetch;
    CausedPreviewReport m_report;
    QTableWidget* m_rows;
    QTableWidget* m_totals;
};

} // namespace tavrel
