// The current directory, the executable's path, the drives, and the layer's path forms, over the
// W functions. Windows has no drive table: TESSALY_DRIVES means nothing here, and the "POSIX"
// path of the layer's path functions is the platform's own full path, in UTF-8.
#include <cstring>
#include <mutex>
#include <string>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Drives.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32TestHooks.h"
#include "platform/win32/common/TextOut.h"
#include "platform/win32/windows/Native.h"
#include "platform/win32/windows/NormalForms.h"
#include "platform/win32/windows/WidePath.h"

namespace {

using namespace tessaly::win32;

std::mutex g_mutexModule;
std::string g_strModuleOverride; // UTF-8; empty: the real executable

std::optional<std::string> FullPathUtf8(const std::u16string& strWide) {
    if (strWide.empty()) {
        return std::nullopt;
    }
    const std::u16string strFull = native::GetFullPathNameW(strWide);
    if (strFull.empty()) {
        return std::nullopt;
    }
    return detail::WideToWtf8(strFull);
}

} // namespace

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
    const std::u16string strWide = native::GetCurrentDirectoryW();
    if (strWide.empty()) {
        return 0;
    }
    return detail::CopyOrNeed(detail::WidePathToAnsi(strWide), nBufferLength, lpBuffer);
}

// Windows keeps the current directory, with a separator at its end, in MAX_PATH units: a longer
// one fails with ERROR_FILENAME_EXCED_RANGE. (Wine takes it and later overruns its buffer.)
BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
    if (lpPathName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::u16string strFull = native::GetFullPathNameW(detail::AnsiToWide(lpPathName));
    const bool bEndsInSeparator =
        !strFull.empty() && (strFull.back() == u'\\' || strFull.back() == u'/');
    if (strFull.size() + (bEndsInSeparator ? 0 : 1) + 1 > MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    std::u16string strPath = detail::AnsiToWidePath(lpPathName);
    if (native::SetCurrentDirectoryW(strPath)) {
        return TRUE;
    }
    return detail::RetryInDiskForms(strPath) && native::SetCurrentDirectoryW(strPath) ? TRUE
                                                                                      : FALSE;
}

namespace tessaly::win32 {
void SetModuleFileNameForTests(const std::string& strPath) {
    std::lock_guard lock(g_mutexModule);
    g_strModuleOverride = strPath;
}
} // namespace tessaly::win32

DWORD WINAPI GetModuleFileNameA(HMODULE /*hModule*/, LPSTR lpFilename, DWORD nSize) {
    std::string strPath;
    {
        std::lock_guard lock(g_mutexModule);
        if (!g_strModuleOverride.empty()) {
            strPath = PosixToWindowsPath(g_strModuleOverride).value_or(std::string());
        }
    }
    if (strPath.empty()) {
        const std::u16string strWide = native::GetModuleFileNameW();
        if (strWide.empty()) {
            return 0;
        }
        strPath = detail::WidePathToAnsi(strWide);
    }
    return detail::CopyOrCut(strPath, lpFilename, nSize);
}

DWORD WINAPI GetLogicalDriveStringsA(DWORD nBufferLength, LPSTR lpBuffer) {
    const DWORD dwDrives = native::GetLogicalDrives();
    std::string strRoots;
    for (int i = 0; i < 26; ++i) {
        if ((dwDrives >> i & 1) != 0) {
            strRoots += static_cast<char>('A' + i);
            strRoots += std::string_view(":\\\0", 3);
        }
    }
    return detail::CopyOrNeed(strRoots, nBufferLength, lpBuffer);
}

UINT WINAPI GetDriveTypeA(LPCSTR lpRootPathName) {
    if (lpRootPathName == nullptr) {
        return native::GetDriveTypeW(std::u16string());
    }
    std::string strRoot(lpRootPathName);
    if (strRoot.size() == 2 && strRoot[1] == ':') {
        strRoot += '\\'; // "C:" names the drive as "C:\" does
    }
    return native::GetDriveTypeW(detail::AnsiToWide(strRoot));
}

namespace tessaly::win32 {

void SetDriveTable(const std::map<char, std::string>& /*mapDrives*/) {}

std::map<char, std::string> GetDriveTable() {
    return {};
}

std::map<char, std::string> ParseDriveSpec(std::string_view /*strSpec*/) {
    return {};
}

std::optional<std::string> WindowsToPosixPath(std::string_view strAnsiPath) {
    return FullPathUtf8(detail::AnsiToWide(strAnsiPath));
}

std::optional<std::string> PosixToWindowsPath(std::string_view strPosixPath) {
    const std::optional<std::string> strFull = FullPathUtf8(detail::Wtf8ToWide(strPosixPath));
    if (!strFull) {
        return std::nullopt;
    }
    return detail::WidePathToAnsi(detail::Wtf8ToWide(*strFull));
}

std::optional<std::string> ToWindowsPath(std::string_view strUtf8Path) {
    return PosixToWindowsPath(strUtf8Path);
}

} // namespace tessaly::win32
