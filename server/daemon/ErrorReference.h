#pragma once

#include "ModuleError.h"

#include <QString>

namespace tavrel {

// What a desk learns of a failure of the database or of the server itself: the system's
// own words and a reference number. The details (the database's text, which may name
// its host, port, database and role, or the driver's) go to the server's log under the
// same reference, for the administrator. The refusals, conversions and conflicts the
// system raises are meant for users and pass unchanged.
class ErrorReference
{
public:
    // `error` as a desk sees it; logs the details of a failure under a new reference.
    static ModuleError forDesk(const ModuleError& error, const QString& user, const QString& call);
    // The message of an unexpected failure whose details are `detail`.
    static QString hidden(const QString& detail, const QString& user, const QString& call);

private:
    static QString newReference();
    static void log(const QString& reference, const QString& user, const QString& call,
                    const QString& detail);
};

} // namespace tavrel
