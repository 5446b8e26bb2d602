// The framework's message delivery in standard types, for code that includes <windows.h> beside
// it (the window tests' driver makes a user's input with Windows' own calls).
#pragma once

#include <cstdint>

namespace tessaly::framework {

// Delivers one message as the modal loop delivers a queued one: the owning dialog's
// PreTranslateMessage first, then the dialog manager and the window procedure.
void DeliverMessage(void* hwnd, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
// Serves what the window thread's queue holds now, once, as PumpPendingMessages does.
void ServePendingMessages();

} // namespace tessaly::framework
