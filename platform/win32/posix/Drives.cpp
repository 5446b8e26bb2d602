// The drives the table maps, as Windows reports its logical drives.
#include <sys/stat.h>

#include <cstring>

#include "platform/win32/Win32Files.h"
#include "platform/win32/common/TextOut.h"
#include "platform/win32/posix/PathState.h"

DWORD WINAPI GetLogicalDriveStringsA(DWORD nBufferLength, LPSTR lpBuffer) {
    std::string strRoots;
    for (char cLetter : tessaly::win32::detail::DriveLetters()) {
        strRoots += cLetter;
        strRoots += std::string_view(":\\\0", 3);
    }
    return tessaly::win32::detail::CopyOrNeed(strRoots, nBufferLength, lpBuffer);
}

UINT WINAPI GetDriveTypeA(LPCSTR lpRootPathName) {
    using namespace tessaly::win32::detail;
    char cDrive = CurrentDrive();
    if (lpRootPathName != nullptr) {
        const std::size_t uLength = std::strlen(lpRootPathName);
        const char c = lpRootPathName[0];
        const bool bLetter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!bLetter || uLength < 2 || lpRootPathName[1] != ':' || uLength > 3 ||
            (uLength == 3 && lpRootPathName[2] != '\\' && lpRootPathName[2] != '/')) {
            return DRIVE_NO_ROOT_DIR;
        }
        cDrive = static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
    }
    const std::optional<std::string> strRoot = DriveRoot(cDrive);
    struct stat st;
    if (!strRoot || ::stat(strRoot->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return DRIVE_NO_ROOT_DIR;
    }
    return DRIVE_FIXED;
}
