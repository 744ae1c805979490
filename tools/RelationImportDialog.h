#pragma once

#include "RelationImportPlan.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace tavrel {

class IAppServer;

// "Importar desde Excel": the plan of importing a workbook into the company's relation,
// one line per sheet row with what it does and why a row is refused, applied with one
// button. After it writes, `applied` runs (the window re-reads its rows).
class RelationImportDialog : public QDialog
{
    Q_OBJECT

public:
    RelationImportDialog(std::shared_ptr<IAppServer> server, int company, const QString& user,
                         std::function<void()> applied, QWidget* parent = nullptr);

    // Reads the workbook and shows its plan; a failure is shown in the dialog. True when
    // there is a plan.
    bool load(const QString& xlsx);
    // Writes the plan shown; a failure is shown in the dialog. True when it wrote.
    bool apply();

    QTableWidget* table() const { return m_table; }
    QString summary() const;
    QPushButton* applyButton() const { return m_apply; }

private:
    void choose();
    void showPlan(const RelationImportPlan& plan);
    void fail(const QString& message);

    std::shared_ptr<IAppServer> m_server;
    int m_company;
    QString m_user;
    std::function<void()> m_applied;
    std::optional<RelationImportPlan> m_plan;
    QLabel* m_file;
    QLabel* m_summary;
    QTableWidget* m_table;
    QPushButton* m_apply;
};

} // namespace tavrel
