#pragma once

#include "HostSession.h"

#include <QMainWindow>
#include <memory>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace tavrel {

class ModuleLoader;
struct ProgramEntry;

// The menu host's main window: the program list of the suite. Opening a program loads
// its module with the session and shows the window the module returns; closing that
// window unloads the module.
class HostWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit HostWindow(const HostSession& session, QWidget* parent = nullptr);
    ~HostWindow() override;

    // Loads the program and returns its window; errors go to the user and give nullptr.
    QWidget* openProgram(const ProgramEntry& program);
    QTreeWidget* programList() const { return m_programs; }
    // Errors go to the error stream instead of a message box (screenshots, scripts).
    void setQuiet(bool quiet) { m_quiet = quiet; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openCurrent();
    void showError(const QString& message);

    HostSession m_session;
    QTreeWidget* m_programs;
    QLineEdit* m_company;
    std::unique_ptr<ModuleLoader> m_loader;
    bool m_quiet = false;
};

} // namespace tavrel
