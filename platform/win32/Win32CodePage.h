// Code page 932 conversions with Windows' tables and behaviour. CP_ACP, CP_OEMCP and CP_THREAD_ACP
// all mean 932 here; CP_UTF8 converts UTF-8 strictly.
#pragma once

#include "platform/win32/Win32Types.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_COMPOSITE 0x00000002
#define MB_USEGLYPHCHARS 0x00000004
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_COMPOSITECHECK 0x00000200
#define WC_DEFAULTCHAR 0x00000040
#define WC_NO_BEST_FIT_CHARS 0x00000400

// Windows' contract: cbMultiByte -1 converts through the terminator (counted in the result);
// cchWideChar 0 asks for the needed count only. Invalid CP932 bytes become U+30FB (a lone lead
// byte at the end too), never an error unless MB_ERR_INVALID_CHARS. A short output buffer fails
// with ERROR_INSUFFICIENT_BUFFER. Returns the count written (or needed), 0 on failure.
int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar);

// Characters CP932 lacks become lpDefaultChar's first byte, '?' when it is null; *lpUsedDefaultChar
// reports whether that happened. cbMultiByte 0 asks for the needed byte count.
int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                               LPBOOL lpUsedDefaultChar);

// The code page's own lead-byte table: 0x81-0x9F and 0xE0-0xFC for 932.
BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar);
BOOL WINAPI IsDBCSLeadByte(BYTE TestChar);
UINT WINAPI GetACP();

// The C runtime's multibyte comparison in the ANSI code page: a double-byte character compares as
// lead * 256 + trail; returns <0, 0, >0.
int _mbscmp(const unsigned char* string1, const unsigned char* string2);

// Byte comparison, as the program uses it (0 means equal).
int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2);
int WINAPI lstrlenA(LPCSTR lpString);
