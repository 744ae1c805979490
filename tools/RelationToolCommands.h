#pragma once

#include "ToolCommand.h"

#include <QList>

namespace tavrel {

// The headless sub-commands over the relation that ask the application server directly,
// without loading the module:
//   tavrel check --database D --user U --password P --company N [--protocol X] [--json]
//     prints the consistency warnings of the company's relation rows. Exit 0 also when
//     there are warnings: they never stop anything.
//   tavrel history --database D --user U --password P --company N --concept C
//                  --account A [--related R] [--json]
//     prints the recorded changes of the relation row with these keys, oldest first.
// and the reports over the caused values (CausedReportCommands).
class RelationToolCommands
{
public:
    static QList<ToolCommand> commands();
};

} // namespace tavrel
