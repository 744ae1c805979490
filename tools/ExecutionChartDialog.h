#pragma once

#include "ExecutionTotals.h"

#include <QDialog>
#include <functional>

class QLabel;
class QTabWidget;

namespace tavrel {

// "Ejecución presupuestal": bar charts of the total value against the caused value of
// the current company's relation, one per budget resource and one per funding source,
// each on a tab. The chart in view can be saved as a PNG image, the figures as an Excel
// workbook with native charts (see ExecutionTotals::sheet). Esc closes.
class ExecutionChartDialog : public QDialog
{
    Q_OBJECT

public:
    // `fetch` reads the totals and throws ModuleError; its message is shown in the dialog.
    explicit ExecutionChartDialog(const std::function<ExecutionTotals()>& fetch,
                                  QWidget* parent = nullptr);

    QTabWidget* tabs() const { return m_tabs; }
    QLabel* statusLabel() const { return m_status; }
    // Writes the chart of the current tab; throws ModuleError naming the file.
    void savePng(const QString& path) const;
    // Writes the figures sheet as a workbook of its own; throws ModuleError naming the file.
    void saveXlsx(const QString& path) const;

private:
    QWidget* chart(const QString& title, const QString& axis,
                   const QList<ExecutionTotals::Group>& groups);
    void saveWithDialog(const QString& caption, const QString& fileName, const QString& filter,
                        void (ExecutionChartDialog::*save)(const QString&) const);

    QTabWidget* m_tabs;
    QLabel* m_status;
    ExecutionTotals m_totals;
};

} // namespace tavrel
