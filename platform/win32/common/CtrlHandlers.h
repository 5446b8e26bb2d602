// Inside the layer: the routines SetConsoleCtrlHandler added, in a fixed table of atomics, so
// that a signal handler (POSIX) or the system's thread (Windows) may run them without a lock.
#pragma once

#include "platform/win32/Win32Console.h"

namespace tessaly::win32::detail {

// FALSE with ERROR_NOT_ENOUGH_MEMORY when the table is full.
BOOL AddCtrlHandler(PHANDLER_ROUTINE pRoutine);
// FALSE with ERROR_INVALID_PARAMETER when the routine was not added.
BOOL RemoveCtrlHandler(PHANDLER_ROUTINE pRoutine);
// Runs the routines last added first until one returns TRUE; false when none did.
bool RunCtrlHandlers(DWORD dwCtrlType);

} // namespace tessaly::win32::detail
