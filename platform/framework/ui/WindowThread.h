// The window thread: the one thread that owns every window. Workers reach it by posting messages
// or by running a call there and waiting for it.
#pragma once

#include <functional>

#include "platform/framework/ui/WinUser.h"

namespace tessaly::framework {

bool IsWindowThread();
// The layer's id of the window thread (GetCurrentThreadId there); 0 before the windows exist.
DWORD WindowThreadId();
// Runs fn on the window thread and returns when it has run: directly when already there, else
// queued behind what the window thread is doing, while the caller waits (~15 us a crossing, so a
// bulk update crosses once).
void RunOnWindowThread(const std::function<void()>& fn);
// Serves the window thread's messages for dwMilliseconds, so that a worker's calls into the
// window and its message boxes complete while the window thread waits for it.
void PumpMessagesFor(DWORD dwMilliseconds);
// Serves the messages already queued, once.
void PumpPendingMessages();

} // namespace tessaly::framework

// The framework's name for a wait that keeps the window alive.
inline void AfxPumpMessagesFor(DWORD dwMilliseconds) {
    tessaly::framework::PumpMessagesFor(dwMilliseconds);
}
