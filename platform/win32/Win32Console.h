// The console: Ctrl-C handling and whether a standard stream is a terminal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/Win32Types.h"

#define CTRL_C_EVENT 0
#define CTRL_BREAK_EVENT 1
#define STD_INPUT_HANDLE (static_cast<DWORD>(-10))
#define STD_OUTPUT_HANDLE (static_cast<DWORD>(-11))
#define STD_ERROR_HANDLE (static_cast<DWORD>(-12))

typedef BOOL(WINAPI* PHANDLER_ROUTINE)(DWORD dwCtrlType);

// Adds (bAdd) or removes a handler for Ctrl-C (SIGINT) and Ctrl-Break (SIGTERM here). Windows runs
// handlers on a thread of their own; here they run in the signal's context, so a handler may only
// set lock-free atomic flags. Handlers run last added first until one returns TRUE; when none
// does, the process ends as it would have without them. A null routine with bAdd TRUE ignores
// Ctrl-C.
BOOL WINAPI SetConsoleCtrlHandler(PHANDLER_ROUTINE HandlerRoutine, BOOL Add);

namespace tessaly::win32 {
// Whether the standard stream (STD_OUTPUT_HANDLE, STD_ERROR_HANDLE ...) is a terminal.
bool IsConsoleStream(DWORD nStdHandle);

// Readies standard output and error for the program's UTF-8 lines and gives the terminal's
// arguments in UTF-8: argv as it is on POSIX; on Windows the wide command line's (argv would hold
// them in the system's code page, losing what it cannot carry), with the streams made binary so
// that a pipe or a file gets the same bytes as on Linux.
std::vector<std::string> StartTerminal(int argc, char** argv);
// UTF-8 text to standard output (STD_OUTPUT_HANDLE) or error (STD_ERROR_HANDLE): through stdio's
// buffer, or, to a Windows console, as UTF-16 with WriteConsoleW, which shows every character.
// False when the write failed.
bool WriteStdStream(DWORD nStdHandle, std::string_view strUtf8);
} // namespace tessaly::win32
