// FILETIME to local time and to calendar fields, without the C library's 32-bit limits.
#include <ctime>

#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Time.h"

namespace {

constexpr ULONGLONG kTicksPerSecond = 10000000;
constexpr ULONGLONG kMaxFileTime = 0x7FFFFFFFFFFFFFFFull;
// Days from 0000-03-01 (the proleptic Gregorian era the calendar arithmetic counts from) to
// 1601-01-01.
constexpr LONGLONG kDaysTo1601 = 584694;

ULONGLONG Ticks(const FILETIME& ft) {
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME FromTicks(ULONGLONG ull) {
    return {static_cast<DWORD>(ull), static_cast<DWORD>(ull >> 32)};
}

// The local zone's offset from UTC now, in seconds.
long CurrentUtcOffset() {
    const std::time_t tNow = std::time(nullptr);
    std::tm tmLocal{};
    if (localtime_r(&tNow, &tmLocal) == nullptr) {
        return 0;
    }
    return tmLocal.tm_gmtoff;
}

} // namespace

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
    if (lpFileTime == nullptr || lpLocalFileTime == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const ULONGLONG ullTicks = Ticks(*lpFileTime);
    const long lOffset = CurrentUtcOffset();
    const ULONGLONG ullShift =
        static_cast<ULONGLONG>(lOffset < 0 ? -static_cast<LONGLONG>(lOffset) : lOffset) *
        kTicksPerSecond;
    if (lOffset < 0 ? ullTicks < ullShift : ullTicks > kMaxFileTime - ullShift) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpLocalFileTime = FromTicks(lOffset < 0 ? ullTicks - ullShift : ullTicks + ullShift);
    return TRUE;
}

BOOL WINAPI FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime) {
    if (lpFileTime == nullptr || lpSystemTime == nullptr || Ticks(*lpFileTime) > kMaxFileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const ULONGLONG ullTicks = Ticks(*lpFileTime);
    const ULONGLONG ullSeconds = ullTicks / kTicksPerSecond;
    const ULONGLONG ullSecondOfDay = ullSeconds % 86400;
    const LONGLONG llDays = static_cast<LONGLONG>(ullSeconds / 86400);

    // Days to year, month and day (Howard Hinnant's civil_from_days, eras of 400 years).
    const LONGLONG z = llDays + kDaysTo1601;
    const LONGLONG era = z / 146097;
    const LONGLONG doe = z - era * 146097;
    const LONGLONG yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const LONGLONG doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const LONGLONG mp = (5 * doy + 2) / 153;
    const LONGLONG d = doy - (153 * mp + 2) / 5 + 1;
    const LONGLONG m = mp < 10 ? mp + 3 : mp - 9;
    const LONGLONG y = yoe + era * 400 + (m <= 2 ? 1 : 0);

    lpSystemTime->wYear = static_cast<WORD>(y);
    lpSystemTime->wMonth = static_cast<WORD>(m);
    lpSystemTime->wDay = static_cast<WORD>(d);
    // 1601-01-01 was a Monday.
    lpSystemTime->wDayOfWeek = static_cast<WORD>((llDays + 1) % 7);
    lpSystemTime->wHour = static_cast<WORD>(ullSecondOfDay / 3600);
    lpSystemTime->wMinute = static_cast<WORD>(ullSecondOfDay / 60 % 60);
    lpSystemTime->wSecond = static_cast<WORD>(ullSecondOfDay % 60);
    lpSystemTime->wMilliseconds = static_cast<WORD>(ullTicks % kTicksPerSecond / 10000);
    return TRUE;
}
