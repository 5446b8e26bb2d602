// Inside the layer: Windows' two contracts for handing a text to a caller's buffer.
#pragma once

#include <string_view>

#include "platform/win32/Win32Types.h"

namespace tessaly::win32::detail {

// A buffer too short (or null) gets nothing and the result is the size needed with the
// terminator; otherwise the text, terminated, and its length (GetCurrentDirectoryA,
// GetLogicalDriveStringsA).
DWORD CopyOrNeed(std::string_view strText, DWORD nBufferLength, LPSTR lpBuffer);

// A short buffer gets the text cut, never inside a double-byte character, and terminated, with
// ERROR_INSUFFICIENT_BUFFER and nSize as the result, as GetModuleFileNameA since Windows XP.
DWORD CopyOrCut(std::string_view strText, LPSTR lpBuffer, DWORD nSize);

} // namespace tessaly::win32::detail
