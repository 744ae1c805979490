#pragma once

#include "TavrelRemoteExport.h"

#include <functional>

namespace tavrel {

// How a desk waits for its application server: like the in-process server, a call
// returns only when it is done and nothing the user does reaches the window in between.
//
// On the thread of a GUI application the work runs on another thread while the caller
// waits in an event loop that takes no user input: the windows still repaint, clicks and
// keys wait until the call is over, and after `cursorDelayMs` the busy cursor shows
// until the call ends. Elsewhere (a headless command, another thread) the work simply
// runs in the caller's thread.
class TAVREL_REMOTE_EXPORT WaitingCall
{
public:
    static constexpr int defaultCursorDelayMs = 300;

    // Runs `work` and returns when it has finished; rethrows what it threw.
    static void run(const std::function<void()>& work, int cursorDelayMs = defaultCursorDelayMs);
};

} // namespace tavrel
