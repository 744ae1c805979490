#pragma once

#include "ProgramTools.h"

namespace tavrel {

// The desk tools of the relation of budget items: the caused-value preview, the movements
// no row takes in, the budget execution, the consistency checks and a row's history; and
// the execution figures in the relation's Excel export.
class RelationTools
{
public:
    static const ProgramTools& tools();
};

} // namespace tavrel
