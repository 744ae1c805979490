#pragma once

#include "ToolCommand.h"

#include <QList>

namespace tavrel {

// The headless sub-commands over a closed year, which ask the application server directly:
//   tavrel archive-year ... --company N --year A [--apply] [--json]
//     archives the company's relation under the year; without --apply it says what it
//     would archive and writes nothing.
//   tavrel archive ... --company N (--year A | --compare A1 A2) (--json | --xlsx F)
//     the rows archived under a year, or two archived years side by side.
//   tavrel causado-mensual ... --company N --year A (--json | --xlsx F)
//     the caused value of each relation row and of each budget classification by month.
class YearToolCommands
{
public:
    static QList<ToolCommand> commands();
};

} // namespace tavrel
