// Time conversions: Windows' own.
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Time.h"
#include "platform/win32/windows/Native.h"

namespace {
std::uint64_t Ticks(const FILETIME& ft) {
    return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}
} // namespace

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
    if (lpFileTime == nullptr || lpLocalFileTime == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::uint64_t ullLocal = 0;
    if (!tessaly::win32::native::FileTimeToLocalFileTime(Ticks(*lpFileTime), ullLocal)) {
        return FALSE;
    }
    lpLocalFileTime->dwLowDateTime = static_cast<DWORD>(ullLocal);
    lpLocalFileTime->dwHighDateTime = static_cast<DWORD>(ullLocal >> 32);
    return TRUE;
}

BOOL WINAPI FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime) {
    if (lpFileTime == nullptr || lpSystemTime == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::uint16_t awFields[8];
    if (!tessaly::win32::native::FileTimeToSystemTime(Ticks(*lpFileTime), awFields)) {
        return FALSE;
    }
    *lpSystemTime = SYSTEMTIME{awFields[0], awFields[1], awFields[2], awFields[3],
                               awFields[4], awFields[5], awFields[6], awFields[7]};
    return TRUE;
}
