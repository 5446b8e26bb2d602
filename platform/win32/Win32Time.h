// Time conversions with Windows' contracts: FILETIME is 100 ns since 1601-01-01 UTC, SYSTEMTIME
// its calendar fields (proleptic Gregorian).
#pragma once

#include "platform/win32/Win32Types.h"

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;     // 1 = January
    WORD wDayOfWeek; // 0 = Sunday
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
typedef SYSTEMTIME* LPSYSTEMTIME;

// Adds the time zone's current offset from UTC (daylight saving as it is now, not as it was at
// the converted time, as Windows does). FALSE with ERROR_INVALID_PARAMETER when the result would
// fall before 1601 or above 0x7FFFFFFFFFFFFFFF.
BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime);
// The calendar fields of a FILETIME, milliseconds truncated. FALSE with ERROR_INVALID_PARAMETER
// for a value above 0x7FFFFFFFFFFFFFFF, which Windows refuses.
BOOL WINAPI FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime);
