#pragma once

#include "MTavrelMPRExport.h"

#include <exception>
#include <functional>

namespace tavrel {

// Where the data-aware controls hand the errors they catch at their UI boundary (a
// click, a key, a focus change): a ModuleError or any std::exception must not cross
// Qt's event loop. The module application installs its handleException here; without a
// handler the message is shown in a modal box titled "Tavrel". Silent aborts
// (ModuleError::Kind::Abort) are never shown.
class MTAVRELMPR_EXPORT ErrorReporter
{
public:
    using Handler = std::function<void(const std::exception& error)>;

    // An empty handler restores the plain message box.
    static void setHandler(Handler handler);
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
