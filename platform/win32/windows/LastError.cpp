// GetLastError is Windows' own: the W functions set it.
#include "platform/win32/Win32Errors.h"
#include "platform/win32/windows/Native.h"

DWORD WINAPI GetLastError() {
    return tessaly::win32::native::GetLastError();
}

void WINAPI SetLastError(DWORD dwErrCode) {
    tessaly::win32::native::SetLastError(dwErrCode);
}
