#pragma once

#include "MTavrelMPRExport.h"

#include <exception>

namespace tavrel {

// Where the data-aware controls hand the errors they catch at their UI boundary (a
// click, a key, a focus change): a ModuleError or any std::exception must not cross
// Qt's event loop. They go to the session services' reportError, where the module
// application puts its handleException; without one the message goes to showMessage,
// and without that to a modal box titled "Tavrel". Silent aborts
// (ModuleError::Kind::Abort) are never shown.
class MTAVRELMPR_EXPORT ErrorReporter
{
public:
    static void report(const std::exception& error);

    // Runs the action; an error it throws is reported. Returns whether it ran through.
    template <class Action> static bool guard(Action&& action)
    {
        try {
            action();
            return true;
        } catch (const std::exception& error) {
            report(error);
            return false;
        }
    }
};

} // namespace tavrel
