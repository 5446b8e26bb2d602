// Code page 932 through Windows' own MultiByteToWideChar and WideCharToMultiByte: the program's
// ANSI code page is 932 whatever the system's is, and never converts by "best fit" (¥ would
// become a backslash, é an e).
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/windows/Native.h"

namespace {

constexpr UINT kCp932 = 932;

UINT ProgramCodePage(UINT CodePage) {
    return CodePage == CP_ACP || CodePage == CP_OEMCP || CodePage == CP_THREAD_ACP ? kCp932
                                                                                   : CodePage;
}

} // namespace

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
    return tessaly::win32::native::MultiByteToWideChar(ProgramCodePage(CodePage), dwFlags,
                                                       lpMultiByteStr, cbMultiByte, lpWideCharStr,
                                                       cchWideChar);
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                               LPBOOL lpUsedDefaultChar) {
    const UINT uCodePage = ProgramCodePage(CodePage);
    if (uCodePage == kCp932) {
        dwFlags |= WC_NO_BEST_FIT_CHARS;
    }
    return tessaly::win32::native::WideCharToMultiByte(uCodePage, dwFlags, lpWideCharStr,
                                                       cchWideChar, lpMultiByteStr, cbMultiByte,
                                                       lpDefaultChar, lpUsedDefaultChar);
}

BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar) {
    return tessaly::win32::native::IsDBCSLeadByteEx(ProgramCodePage(CodePage), TestChar) ? TRUE
                                                                                         : FALSE;
}

BOOL WINAPI IsDBCSLeadByte(BYTE TestChar) {
    return IsDBCSLeadByteEx(kCp932, TestChar);
}

UINT WINAPI GetACP() {
    return kCp932;
}
