#include "picker/EntryText.h"

#include <cstdint>
#include <ctime>

#include "platform/framework/core/CTime.h"
#include "platform/win32/Win32Time.h"

namespace {

constexpr ULONGLONG kTicksPerSecond = 10000000;
constexpr long long kUnixEpochIn1601Seconds = 11644473600LL;

bool SameFields(const std::tm& tmFields, const SYSTEMTIME& st) {
    return tmFields.tm_year + 1900 == st.wYear && tmFields.tm_mon + 1 == st.wMonth &&
           tmFields.tm_mday == st.wDay && tmFields.tm_hour == st.wHour &&
           tmFields.tm_min == st.wMinute && tmFields.tm_sec == st.wSecond;
}

} // namespace

void FormatFileSize(DWORD dwSizeHigh, DWORD dwSizeLow, CString& strOut) {
    ULONGLONG ullSize = (static_cast<ULONGLONG>(dwSizeHigh) << 32) | dwSizeLow;
    // 20 digits and 6 commas at most; filled from the end.
    char acText[32];
    char* pc = acText + sizeof(acText);
    *--pc = '\0';
    int iDigits = 0;
    do {
        if (iDigits > 0 && iDigits % 3 == 0) {
            *--pc = ',';
        }
        *--pc = static_cast<char>('0' + ullSize % 10);
        ullSize /= 10;
        ++iDigits;
    } while (ullSize != 0);
    strOut = pc;
}

void FormatFileTime(const FILETIME& ftTime, CString& strOut) {
    strOut.Empty();
    FILETIME ftLocal;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&ftTime, &ftLocal) || !FileTimeToSystemTime(&ftLocal, &st)) {
        return;
    }
    // The calendar's seconds for the local fields. Mostly they are the file's own instant, which
    // localtime confirms; mktime, which rereads the zone file at every call, is left for the
    // times whose daylight saving differs from today's.
    const long long llInstant =
        static_cast<long long>(
            ((static_cast<ULONGLONG>(ftTime.dwHighDateTime) << 32) | ftTime.dwLowDateTime) /
            kTicksPerSecond) -
        kUnixEpochIn1601Seconds;
    std::tm tmFields{};
    std::time_t tTime = static_cast<std::time_t>(llInstant);
    if (CTime(tTime).GetLocalTm(&tmFields) == nullptr || !SameFields(tmFields, st)) {
        tTime = CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond).GetTime();
        if (tTime < 0 || tTime > INT32_MAX || CTime(tTime).GetLocalTm(&tmFields) == nullptr) {
            return;
        }
    }
    if (tTime < 0 || tTime > INT32_MAX) {
        return;
    }
    // "%Y/%m/%d %H:%M:%S" written digit by digit: strftime cost a third of a row's time. The
    // range checked above keeps the year at four digits.
    char acText[20];
    const auto put2 = [](char* pc, int iValue) {
        pc[0] = static_cast<char>('0' + iValue / 10);
        pc[1] = static_cast<char>('0' + iValue % 10);
    };
    const int iYear = tmFields.tm_year + 1900;
    put2(acText, iYear / 100);
    put2(acText + 2, iYear % 100);
    acText[4] = '/';
    put2(acText + 5, tmFields.tm_mon + 1);
    acText[7] = '/';
    put2(acText + 8, tmFields.tm_mday);
    acText[10] = ' ';
    put2(acText + 11, tmFields.tm_hour);
    acText[13] = ':';
    put2(acText + 14, tmFields.tm_min);
    acText[16] = ':';
    put2(acText + 17, tmFields.tm_sec);
    strOut = CString(acText, 19);
}
