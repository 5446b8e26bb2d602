// The texts a picker row shows for an entry's size and last-write time. Each call builds its text
// in storage of its own, so the window and a sort thread may format rows at the same time.
#pragma once

#include "platform/framework/core/CString.h"
#include "platform/win32/Win32Types.h"

// The 64-bit size (high * 2^32 + low) in decimal, "," before every third digit from the right:
// 0, 999, 1,000, 1,234,567.
void FormatFileSize(DWORD dwSizeHigh, DWORD dwSizeLow, CString& strOut);

// The time in local time as "%Y/%m/%d %H:%M:%S"; empty when its seconds since 1970 do not fit a
// signed 32-bit count (before 1970, after January 2038) or it cannot be converted.
void FormatFileTime(const FILETIME& ftTime, CString& strOut);

// FormatFileTime for many rows: the offset from UTC in force when it is made serves every row it
// formats, so that one listing's rows agree even across a change of daylight saving.
class CFileTimeText {
public:
    CFileTimeText();
    void Format(const FILETIME& ftTime, CString& strOut) const;

private:
    LONGLONG m_llBias = 0; // local minus UTC, in FILETIME ticks
    BOOL m_bBias = FALSE;
};
