// Shift-JIS (the ANSI code page, CP932) to UTF-16 and back, and the byte tests the support library
// uses. Returned buffers are allocated with new[] and deleted by the caller with delete[]. Lengths
// are bytes for Shift-JIS text and UTF-16 units for wide text. The logging conversions write their
// failures to the trace log (WriteTraceText); the others only return a result.
#pragma once

#include "platform/win32/Win32Types.h"

// Converts pcSrcStr (at most dwSrcLenLimit bytes, 0x7FFFFFFF at most) into pwcResultBuff of
// dwResultBuffSize characters in pieces of at most dwTempBuffSize - 1 bytes (10 or less means
// 10000), never splitting a character; a dangling lead byte at the end is left out. The result is
// always terminated. *pdwConvLen (when given) gets the converted count, 0 on failure.
BOOL ConvSJisToWideCharGetLen(LPWSTR pwcResultBuff, LPCSTR pcSrcStr, DWORD dwResultBuffSize,
                              DWORD dwSrcLenLimit, DWORD dwTempBuffSize,
                              LPDWORD pdwConvLen = nullptr);

// A new terminated wide string of dwSrcLen bytes of pcSrcStr (0: up to the terminator); null for
// an empty text, a text ending in a dangling lead byte, or on failure.
LPWSTR ConvSJisToWideChar(LPCSTR pcSrcStr, DWORD dwSrcLen = 0, LPDWORD pdwConvLen = nullptr);

// A new terminated Shift-JIS string of dwSrcLen characters of pwcSrcStr (0: up to the
// terminator); characters CP932 lacks become "?", IBM extensions come out as their NEC-selected
// twins (UseNecSelectedTwins). Null for an empty text or on failure.
LPSTR ConvWideCharToSJis(LPCWSTR pwcSrcStr, DWORD dwSrcLen = 0, LPDWORD pdwConvLen = nullptr);

// Silent conversions.
LPWSTR ConvSJisToWideCharSimple(LPCSTR pcSrcStr);
// pwcResultBuff must have room for the converted text and its terminator.
BOOL ConvSJisToWideCharInto(LPWSTR pwcResultBuff, LPCSTR pcSrcStr);
// UTF-16 units that dwByteCount bytes of pcSrcStr convert to; 0 on failure.
DWORD GetWideCharLen(LPCSTR pcSrcStr, DWORD dwByteCount);
// UTF-16 units of dwByteCount bytes (0: to the end) from dwOffset; 0 when nothing is left.
DWORD GetWideCharLenAt(LPCSTR pcSrcStr, DWORD dwOffset, DWORD dwByteCount = 0);

// The program's own byte classes: lead 0x81-0x9F and 0xE0-0xF5, trail 0x40-0x7E and 0x80-0xFC.
// (Inline: every byte of every path goes through them.)
inline BOOL IsSJisLeadByte(BYTE byChar) {
    const BYTE byShifted = static_cast<BYTE>(byChar ^ 0x20);
    return (byShifted >= 0xA1 && byShifted <= 0xD5) ? TRUE : FALSE;
}
inline BOOL IsSJisTrailByte(BYTE byChar) {
    return ((byChar >= 0x40 && byChar <= 0x7E) || (byChar >= 0x80 && byChar <= 0xFC)) ? TRUE
                                                                                      : FALSE;
}
// TRUE when walking dwLen bytes of pcStr from the first, character by character, ends on a lone
// lead byte.
BOOL IsEndingInSJisLeadByte(LPCSTR pcStr, DWORD dwLen);

// Rewrites in place every IBM-extension character of dwLen bytes of CP932 as written by
// WideCharToMultiByte (leads 0xFA-0xFC, which the program's lead-byte test does not know, so that
// their trail byte could pass for a lead byte or a backslash) as its NEC-selected twin at
// 0xED/0xEE, which decodes to the same character. The length stays the same.
void UseNecSelectedTwins(LPSTR pcStr, DWORD dwLen);

// Index of the last cByte in pcStr, stepping over double-byte characters so that a trail byte is
// never taken for it; -1 if none.
int ReverseFindByteSJis(LPCSTR pcStr, char cByte);
