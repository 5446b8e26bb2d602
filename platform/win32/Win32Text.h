// Text formatting as Windows' user32 does it.
#pragma once

#include <cstdarg>

#include "platform/win32/Win32Types.h"

// printf-style formatting with Windows' %I64u, %I64d, %I64X; like Windows it writes at most 1,024
// bytes including the terminator, so a larger buffer can never overflow. Returns the count of
// bytes written without the terminator.
int WINAPI wvsprintfA(LPSTR lpOutput, LPCSTR lpFmt, va_list arglist);
int wsprintfA(LPSTR lpOutput, LPCSTR lpFmt, ...);

namespace tessaly::win32 {
// The same conversions without the 1,024-byte cap: at most dwBufferSize bytes with terminator,
// cutting instead of overflowing. Returns the bytes written without the terminator.
int FormatBounded(LPSTR lpOutput, std::size_t dwBufferSize, LPCSTR lpFmt, va_list arglist);
} // namespace tessaly::win32
