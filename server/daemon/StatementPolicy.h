#pragma once

#include <QDateTime>
#include <QString>
#include <QVariantList>
#include <functional>

namespace tavrel {

// The statements that a desk may run through the method EjecutarSQL over the network:
// the module's own caused-value updates and their clean-up, nothing else, as
// CausedValueStatements words them. A text is compared with those shapes after its
// blanks are normalised; the audit user written
// into ACT_USUA must be the session's own user (in any case). What runs is the server's
// own copy of the shape the text matched, with the session's user as the database keeps
// it, the server's time in ACT_HORA, and the desk's dates only where they are date-times.
// Row-level security still limits the update to the session's companies.
class StatementPolicy
{
public:
    // `statement` is EjecutarSQL's first argument: the text followed by the values of its
    // markers in order of first appearance. Returns the statement to run in the same form.
    // Throws ModuleError (Refusal) naming the refused text or value.
    static QVariantList resolve(const QVariantList& statement, const QString& sessionUser,
                                const std::function<QDateTime()>& serverTime);
};

} // namespace tavrel
