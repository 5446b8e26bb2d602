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
#define WC_ERR_INVALID_CHARS 0x00000080

#ifndef ERROR_INVALID_FLAGS
#define ERROR_INVALID_FLAGS 1004L
#endif
#ifndef _NLSCMPERROR // the C runtime's own headers may have it
#define _NLSCMPERROR 0x7fffffff
#endif

// Windows' contract for CP932 (CP_ACP, CP_OEMCP, CP_THREAD_ACP or 932) and CP_UTF8:
// - cbMultiByte -1 (any negative value) converts through the terminator, which is counted in the
//   result; otherwise exactly cbMultiByte bytes, embedded NULs included.
// - cchWideChar 0 asks for the needed count only (lpWideCharStr is then not used).
// - CP932: invalid bytes become U+30FB, never an error: a lead byte at the end, or followed by a
//   byte that is no trail byte, gives U+30FB and that next byte is read on its own; a lead and a
//   trail byte that form no character give one U+30FB. 0x80, 0xA0 and 0xFD-0xFF are characters
//   (U+0080, U+F8F0-U+F8F3), 0xF040-0xF9FC the user-defined area U+E000-U+E757.
// - CP_UTF8: every maximal ill-formed part becomes U+FFFD; characters above U+FFFF give a
//   surrogate pair.
// - MB_ERR_INVALID_CHARS: an invalid sequence fails with ERROR_NO_UNICODE_TRANSLATION instead.
// - A short output buffer is filled as far as it goes; the call fails with
//   ERROR_INSUFFICIENT_BUFFER.
// - ERROR_INVALID_PARAMETER: a null or empty source, a negative cchWideChar, a null buffer with a
//   size, source and output at the same address, or a code page other than the above.
// - ERROR_INVALID_FLAGS: flags other than MB_PRECOMPOSED, MB_USEGLYPHCHARS and
//   MB_ERR_INVALID_CHARS (CP_UTF8: MB_ERR_INVALID_CHARS only). MB_COMPOSITE, which would decompose
//   characters, is not provided here and is refused the same way.
// Returns the count of UTF-16 units written (or needed), 0 on failure.
int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar);

// The same contract in the other direction (cchWideChar -1: through the terminator; cbMultiByte 0:
// the needed byte count only). CP932: a UTF-16 unit that no CP932 code decodes to (é, Hangul, each
// half of a surrogate pair, a lone surrogate) becomes the default character: lpDefaultChar's first
// character (two bytes when it is a lead and a trail byte), '?' when it is null; there is no
// "best fit" (so U+00A5 never becomes a backslash), and among codes that decode to the same
// character the one Windows writes is chosen (U+2252 -> 0x81E0, U+2170 -> 0xFA40). A
// double-byte character is never split at the end of a short buffer. *lpUsedDefaultChar, when
// given, tells whether the default was used. CP_UTF8: a lone surrogate becomes U+FFFD, or fails
// with ERROR_NO_UNICODE_TRANSLATION under WC_ERR_INVALID_CHARS; lpDefaultChar and
// lpUsedDefaultChar must be null (else ERROR_INVALID_PARAMETER). Flags: WC_NO_BEST_FIT_CHARS
// (CP932; always in effect) or WC_ERR_INVALID_CHARS (CP_UTF8), else ERROR_INVALID_FLAGS.
int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                               LPBOOL lpUsedDefaultChar);

// The code page's own lead-byte table: 0x81-0x9F and 0xE0-0xFC for 932; none for CP_UTF8. An
// unknown code page gives FALSE with ERROR_INVALID_PARAMETER.
BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar);
BOOL WINAPI IsDBCSLeadByte(BYTE TestChar);
// 932.
UINT WINAPI GetACP();

// The C runtime's multibyte comparison in the ANSI code page: a lead byte and the byte after it
// compare as lead * 256 + trail, other bytes by their unsigned value, a lead byte just before the
// terminator as a single byte. Returns -1, 0 or 1; _NLSCMPERROR for a null pointer.
int _mbscmp(const unsigned char* string1, const unsigned char* string2);

// Byte comparison, as the program uses it (0 means equal; -1 or 1 otherwise). As on Windows, null
// pointers are allowed: two nulls are equal, a null is less than any text.
int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2);
// The byte count without terminator; 0 for a null pointer.
int WINAPI lstrlenA(LPCSTR lpString);
