#include "picker/EntryText.h"

#include <cstdint>
#include <ctime>

#include "platform/framework/core/CTime.h"
#include "platform/win32/Win32Time.h"

namespace {

constexpr ULONGLONG kTicksPerSecond = 10000000;
constexpr ULONGLONG kMaxFileTime = 0x7FFFFFFFFFFFFFFFull;
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
    CFileTimeText().Format(ftTime, strOut);
}

CFileTimeText::CFileTimeText() {
    // Any time in range shows the offset; this one is in 2015.
    const ULONGLONG ullProbe = 0x01D0000000000000ull;
    const FILETIME ftProbe{static_cast<DWORD>(ullProbe), static_cast<DWORD>(ullProbe >> 32)};
    FILETIME ftLocal;
    if (FileTimeToLocalFileTime(&ftProbe, &ftLocal)) {
        const ULONGLONG ullLocal =
            (static_cast<ULONGLONG>(ftLocal.dwHighDateTime) << 32) | ftLocal.dwLowDateTime;
        m_llBias = static_cast<LONGLONG>(ullLocal - ullProbe);
        m_bBias = TRUE;
    }
}

void CFileTimeText::Format(const FILETIME& ftTime, CString& strOut) const {
    strOut.Empty();
    // FileTimeToLocalFileTime's shift with the offset taken once; out of range, no text.
    const ULONGLONG ullTicks =
        (static_cast<ULONGLONG>(ftTime.dwHighDateTime) << 32) | ftTime.dwLowDateTime;
    const ULONGLONG ullMagnitude =
        m_llBias < 0 ? static_cast<ULONGLONG>(-m_llBias) : static_cast<ULONGLONG>(m_llBias);
    if (!m_bBias || ullTicks > kMaxFileTime ||
        (m_llBias < 0 ? ullTicks < ullMagnitude : ullTicks > kMaxFileTime - ullMagnitude)) {
        return;
    }
    const ULONGLONG ullLocal = m_llBias < 0 ? ullTicks - ullMagnitude : ullTicks + ullMagnitude;
    const FILETIME ftLocal{static_cast<DWORD>(ullLocal), static_cast<DWORD>(ullLocal >> 32)};
    SYSTEMTIME st;
    if (!FileTimeToSystemTime(&ftLocal, &st)) {
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
