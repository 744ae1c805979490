#pragma once

#include <QString>

namespace tavrel {

// What the network server refuses in a desk's read before it reaches the database: calls
// of the functions that hold a lock beyond the read, wait, signal other connections or
// touch the server's files, the views that show other connections' statements, and the
// functions that run a query given as text (which could spell any of these at run time).
// Behind it the database runs the read as one statement, read-only, under a time and
// lock limit, and the connection is reset afterwards; this check is a second line, so
// it errs on the side of refusing: a name counts wherever it appears in the text.
class ReadPolicy
{
public:
    // Throws ModuleError (Refusal) naming what was refused.
    static void check(const QString& commandText);
};

} // namespace tavrel
