// The byte-string functions of kernel32 and the C runtime that the program calls.
#include <cstring>

#include "platform/win32/Win32CodePage.h"
#include "platform/win32/common/CodePage932Tables.h"

using tessaly::win32::detail::IsCp932Lead;

namespace {

// The character at p as the C runtime reads it, advancing p past it.
unsigned NextMbChar(const unsigned char*& p) {
    const unsigned uFirst = *p++;
    if (IsCp932Lead(static_cast<unsigned char>(uFirst)) && *p != 0) {
        return uFirst << 8 | *p++;
    }
    return uFirst;
}

} // namespace

int _mbscmp(const unsigned char* string1, const unsigned char* string2) {
    if (string1 == nullptr || string2 == nullptr) {
        return _NLSCMPERROR;
    }
    for (;;) {
        const unsigned u1 = NextMbChar(string1);
        const unsigned u2 = NextMbChar(string2);
        if (u1 != u2) {
            return u1 < u2 ? -1 : 1;
        }
        if (u1 == 0) {
            return 0;
        }
    }
}

int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
    if (lpString1 == nullptr || lpString2 == nullptr) {
        return (lpString1 != nullptr) - (lpString2 != nullptr);
    }
    const int iCmp = std::strcmp(lpString1, lpString2); // compares as unsigned char
    return (iCmp > 0) - (iCmp < 0);
}

int WINAPI lstrlenA(LPCSTR lpString) {
    return lpString == nullptr ? 0 : static_cast<int>(std::strlen(lpString));
}
