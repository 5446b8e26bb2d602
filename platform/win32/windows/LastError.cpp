// GetLastError is Windows' own: the W functions set it.
#include "platform/win32/Win32Errors.h"
#include "platform/win32/windows/Native.h"

namespace tessaly::win32::detail {
void EnsureThreadExitOrder();
} // namespace tessaly::win32::detail

// Every program calls these, so naming ThreadExit.cpp's function here links it in.
[[maybe_unused]] static void (*const s_pfnThreadExitOrder)() =
    &tessaly::win32::detail::EnsureThreadExitOrder;

DWORD WINAPI GetLastError() {
    return tessaly::win32::native::GetLastError();
}

void WINAPI SetLastError(DWORD dwErrCode) {
    tessaly::win32::native::SetLastError(dwErrCode);
}
