#pragma once

#include "IAppServer.h"

#include <QString>

namespace tavrel::bench {

// What a desk of the relation window asks its server, for the benchmarks that play many
// desks at once.
class DeskCalls
{
public:
    static const QString& relationProvider();
    // The company's relation rows, as the window reads them.
    static DataPacket relation(IAppServer& server, int company);
    // The window's first reads: the relation of company 1, the companies and the lookups.
    static void openWindow(IAppServer& server);
    // Adds 1 to the total of one row of the packet, checked against what was read. Throws
    // ModuleError, kind Conflict when another desk changed it first.
    static void addToTotal(IAppServer& server, const DataPacket& rows, int row);
    // The caused-value update of 2013 stamped by `user`.
    static void causedUpdate(IAppServer& server, const QString& user);
};

} // namespace tavrel::bench
