#pragma once

#include "ToolCommand.h"

#include <QList>

namespace tavrel {

// The sub-commands of the reports over the caused values, computed by the application
// server without loading any module and without writing to the database:
//   tavrel causado-preview --database D --user U --password P --company N [--year Y]
//                          (--json | --xlsx F)
//     what the caused-value update would write for company N's window, row by row.
//   tavrel coverage --database D --user U --password P [--company N] [--year Y]
//                   (--json | --xlsx F)
//     the year's debit movements that no relation row takes in.
// Without --year both follow FEC_RPCO. A file that cannot be written fails the command.
class CausedReportCommands
{
public:
    static QList<ToolCommand> commands(); // causado-preview, then coverage
};

} // namespace tavrel
