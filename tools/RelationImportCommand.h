#pragma once

#include "ToolCommand.h"

namespace tavrel {

// The headless import of a workbook into the relation of a company:
//   tavrel import --database D --user U --password P --company N --xlsx F [--apply] [--json]
// prints the plan, one entry per sheet row; with --apply it writes the plan in one
// transaction, or nothing when a row is refused (exit 1, the plan printed).
class RelationImportCommand
{
public:
    static ToolCommand command();
};

} // namespace tavrel
