#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QVBoxLayout;

namespace tavrel {

// The frame of a report that the host asks the application server for: a year to choose
// (0 follows the payroll variable FEC_RPCO), "Calcular" as the default button, a line
// that says what was computed or what went wrong, the report's own tables and "Exportar
// a Excel…" and "Cerrar". Esc closes. A failed computation shows its message in the
// dialog; nothing waits on a message box.
class ServerReportDialog : public QDialog
{
    Q_OBJECT

public:
    QSpinBox* yearBox() const { return m_year; }
    QLabel* statusLabel() const { return m_status; }
    QPushButton* computeButton() const { return m_compute; }
    QPushButton* exportButton() const { return m_export; }

    // Computes the report for the year in the box; false (and the message shown) on error.
    bool compute();
    // Writes the report computed last to an Excel workbook; throws ModuleError.
    virtual void exportTo(const QString& path) = 0;

protected:
    ServerReportDialog(const QString& title, int year, QWidget* parent);
    // Adds a table whose cells cannot be edited, below what is there.
    QTableWidget* addTable(const QStringList& headers, int stretch);
    QLabel* addLabel(const QString& text = QString());
    // Fetches and shows the report of `year` (0: FEC_RPCO); returns the status text.
    // Throws ModuleError.
    virtual QString load(int year) = 0;
    // The file name the save dialog proposes.
    virtual QString suggestedFile() const = 0;

    // A money cell, right aligned; empty for a null value.
    static QString money(const QVariant& value);
    static void setNumberCell(QTableWidget* table, int row, int column, const QString& text);

private:
    void exportWithDialog();

    QVBoxLayout* m_body;
    QSpinBox* m_year;
    QLabel* m_status;
    QPushButton* m_compute;
    QPushButton* m_export;
};

} // namespace tavrel
