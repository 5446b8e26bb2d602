#include "picker/EntryText.h"

#include <cstdint>

#include "platform/framework/core/CTime.h"
#include "platform/win32/Win32Time.h"

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
    const CTime time(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
    if (time.GetTime() < 0 || time.GetTime() > INT32_MAX) {
        return;
    }
    strOut = time.Format("%Y/%m/%d %H:%M:%S");
}
