#pragma once

#include <QString>

namespace tavrel {

// The statements that a desk may run through the method EjecutarSQL over the network:
// the module's own caused-value updates and their clean-up, nothing else. A text is
// compared with those shapes after its blanks are normalised; the audit user written
// into ACT_USUA must be the session's own user. Row-level security still limits the
// update to the session's companies.
class StatementPolicy
{
public:
    // Throws ModuleError (Refusal) naming the refused text.
    static void check(const QString& sql, const QString& sessionUser);
};

} // namespace tavrel
