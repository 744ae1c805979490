#pragma once

#include "ToolCommand.h"

#include <QList>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>

class QWidget;

namespace tavrel {

class IAppServer;
class XlsxWriter;

// What a desk tool gets when the user opens it from a program's menu in the host.
struct ToolContext
{
    std::shared_ptr<IAppServer> server; // the host's session with the application server
    int company = 0;                    // the company the program's window works in
    QVariantMap currentKey;             // the key of the row the window shows, by field
    QWidget* parent = nullptr;
    // Re-reads the window's rows after a tool changed them on the server.
    std::function<void()> refreshProgram;
};

// A tool that the host offers in the menu of an open program: its menu item's object name
// and caption, and what opening it does. `open` throws ModuleError for the user.
struct DeskTool
{
    QString name;
    QString caption;
    bool startsGroup = false; // a separator before it
    std::function<void(const ToolContext& context)> open;
};

// The desk tools that go with a program: the items of its menu, the headless commands of
// tavrel that run them without a window, and the sheets its Excel export gains after the
// rows (empty: none).
struct ProgramTools
{
    QList<DeskTool> menu;
    QList<ToolCommand> commands;
    std::function<void(IAppServer& server, int company, XlsxWriter& book)> exportSheets;
};

} // namespace tavrel
