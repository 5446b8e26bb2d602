// GetLastError per thread.
#include "platform/win32/Win32Errors.h"

namespace {
thread_local DWORD t_dwLastError = ERROR_SUCCESS;
} // namespace

DWORD WINAPI GetLastError() {
    return t_dwLastError;
}

void WINAPI SetLastError(DWORD dwErrCode) {
    t_dwLastError = dwErrCode;
}
