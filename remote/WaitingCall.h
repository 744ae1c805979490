#pragma once

#include "TavrelRemoteExport.h"

#include <functional>

namespace tavrel {

// How a desk waits for its application server: like the in-process server, a call
// returns only when it is done and nothing the user does reaches the window in between.
//
// On the thread of a GUI application the work runs on another thread. For `cursorDelayMs`
// the caller simply waits; a call that takes longer shows the busy cursor until it ends
// and waits in an event loop that takes no user input: the windows repaint, clicks and
// keys wait until the call is over. Elsewhere (a headless command, another thread) the
// work simply runs in the caller's thread.
class TAVREL_REMOTE_EXPORT WaitingCall
{
public:
    static constexpr int defaultCursorDelayMs = 300;

    // Runs `work` and returns when it has finished; rethrows what it threw.
    static void run(const std::function<void()>& work, int cursorDelayMs = defaultCursorDelayMs);
};

} // namespace tavrel
