// Time conversions: Windows' own.
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Time.h"
#include "platform/win32/common/FileTimeTicks.h"
#include "platform/win32/windows/Native.h"

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
    if (lpFileTime == nullptr || lpLocalFileTime == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::uint64_t ullLocal = 0;
    if (!tessaly::win32::native::FileTimeToLocalFileTime(
            tessaly::win32::detail::TicksOf(*lpFileTime), ullLocal)) {
        return FALSE;
    }
    *lpLocalFileTime = tessaly::win32::detail::FileTimeFromTicks(ullLocal);
    return TRUE;
}

BOOL WINAPI FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime) {
    if (lpFileTime == nullptr || lpSystemTime == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::uint16_t awFields[8];
    if (!tessaly::win32::native::FileTimeToSystemTime(tessaly::win32::detail::TicksOf(*lpFileTime),
                                                      awFields)) {
        return FALSE;
    }
    *lpSystemTime = SYSTEMTIME{awFields[0], awFields[1], awFields[2], awFields[3],
                               awFields[4], awFields[5], awFields[6], awFields[7]};
    return TRUE;
}
