#pragma once

#include "HostSession.h"
#include "SessionConnection.h"
#include "SessionServices.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace tavrel {

class HostedProgram;
class IAppServer;
class ModuleLoader;
struct DeskTool;
struct ProgramEntry;
struct ProgramOperation;

// The menu host's main window: the program list of the suite. Opening a program loads
// its module with the session and shows the window the module returns; closing that
// window unloads the module. One program is open at a time. While the host window
// exists it installs the session services of the host: the application server of the
// session, and the programs that the modules' linked labels ask for (ProgramLink).
//
// The session has one connection to the application server, the login's: the module's
// window, the desk tools and the export sheets all go through it.
class HostWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The company box lists the given companies by code and name; without a list it takes
    // any company code.
    // `server` is the connection of the login; without one the window connects when it
    // first needs the server.
    explicit HostWindow(const HostSession& session, const QList<HostCompany>& companies = {},
                        std::shared_ptr<IAppServer> server = {}, QWidget* parent = nullptr);
    ~HostWindow() override;

    // Loads the program and returns its window; errors go to the user and give nullptr.
    // A module whose load entry throws is unloaded again after its error is shown.
    QWidget* openProgram(const ProgramEntry& program);
    // The session with the company chosen in the window.
    HostSession session() const;
    QTreeWidget* programList() const { return m_programs; }
    // Errors, the host's and those the modules would show in a box, go to the error
    // stream instead (screenshots, scripts): nothing waits for a user. Set it before a
    // program is opened.
    void setQuiet(bool quiet);

    // The menu of the open program's operations (empty while no program is open).
    QMenu* operationsMenu() const { return m_operations; }
    // Asks before an operation runs; the default is a Yes/No box with No preselected.
    using Confirmation = std::function<bool(const QString& question)>;
    void setConfirmation(Confirmation confirm) { m_confirm = std::move(confirm); }
    // Asks, runs the operation on the open program's window with a busy cursor and
    // then re-reads the window's records. Returns true when it ran without error.
    bool runOperation(const ProgramOperation& operation);
    // Opens a desk tool of the open program for the company and row of its window.
    void openTool(const DeskTool& tool);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openCurrent();
    void openLinkedProgram(const QString& path);
    void showError(const QString& message);
    void fillOperations(const ProgramEntry& program);
    void installServices();
    // The open program's window as the host may ask it; nullptr when none is open.
    HostedProgram* openProgramWindow() const;
    // The company of the open program's window (the user may have changed it there),
    // else the one chosen in the host.
    int windowCompany() const;

    HostSession m_session;
    SessionConnection m_connection;
    // Outlives the loaded module, whose application layers its services on these.
    std::optional<SessionServices::Scope> m_services;
    QTreeWidget* m_programs;
    QComboBox* m_company;
    std::unique_ptr<ModuleLoader> m_loader;
    const ProgramEntry* m_program = nullptr; // the program m_loader holds
    QMenu* m_operations;
    Confirmation m_confirm;
    bool m_quiet = false;
};

} // namespace tavrel
