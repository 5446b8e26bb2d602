// The current directory and drive, with Windows' and its C runtime's contracts.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/common/TextOut.h"
#include "platform/win32/posix/PathResolve.h"
#include "platform/win32/posix/PathState.h"

namespace {

// The current directory shows the names as they are on disk.
void ShowDiskNames(tessaly::win32::detail::WindowsPath& path) {
    path.ForgetParsedFrom(0);
    for (std::size_t i = 0; i < path.aDisk.size(); ++i) {
        std::string strAnsi;
        if (tessaly::win32::DiskNameToAnsi(path.aDisk[i], strAnsi)) {
            path.aAnsi[i] = std::move(strAnsi);
        }
    }
}

// The chdir to path as given, when that succeeds; path and the error are left as they were
// otherwise, for the lookup that ignores case.
bool ChangeCurrentDirectoryAsGiven(tessaly::win32::detail::WindowsPath& path) {
    using namespace tessaly::win32::detail;
    const DWORD dwError = GetLastError();
    WindowsPath asGiven = path;
    ShowDiskNames(asGiven);
    if (ChangeCurrentDirectory(asGiven)) {
        return true;
    }
    SetLastError(dwError);
    return false;
}

} // namespace

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
    return tessaly::win32::detail::CopyOrNeed(tessaly::win32::detail::CurrentDirectoryOf(),
                                              nBufferLength, lpBuffer);
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
    using namespace tessaly::win32::detail;
    if (lpPathName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WindowsPath path;
    if (!ParseWindowsPath(lpPathName, path)) {
        return FALSE;
    }
    // Most often the folder is there as given (a walk going down and back up): the chdir itself
    // says so, and a path there as given has its names on disk as given.
    if (ChangeCurrentDirectoryAsGiven(path)) {
        return TRUE;
    }
    bool bExists = false;
    FoundEntry found;
    if (!ResolveOnDisk(path, false, bExists, static_cast<std::size_t>(-1), &found)) {
        return FALSE;
    }
    struct stat st;
    if (found.stx.stx_mask != 0) {
        st.st_mode = found.stx.stx_mode; // the lookup's statx followed a link already
    } else if (::stat(path.PosixPath().c_str(), &st) != 0) {
        tessaly::win32::SetLastErrorFromErrno(errno);
        return FALSE;
    }
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    ShowDiskNames(path);
    return ChangeCurrentDirectory(path) ? TRUE : FALSE;
}

extern "C" int _getdrive() {
    return tessaly::win32::detail::CurrentDrive() - 'A' + 1;
}

extern "C" int _chdrive(int drive) {
    using namespace tessaly::win32::detail;
    if (drive < 1 || drive > 26 || !DriveRoot(static_cast<char>('A' + drive - 1))) {
        errno = EACCES;
        SetLastError(ERROR_INVALID_DRIVE);
        return -1;
    }
    const char cDrive = static_cast<char>('A' + drive - 1);
    if (SetCurrentDirectoryA(CurrentDirectoryOf(cDrive).c_str())) {
        return 0;
    }
    // The drive's last folder is gone: its root, as a fresh drive would start.
    const char acRoot[] = {cDrive, ':', '\\', '\0'};
    if (SetCurrentDirectoryA(acRoot)) {
        return 0;
    }
    errno = EACCES;
    return -1;
}
