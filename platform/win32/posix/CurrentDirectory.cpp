// The current directory and drive, with Windows' and its C runtime's contracts.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/common/TextOut.h"
#include "platform/win32/posix/PathResolve.h"
#include "platform/win32/posix/PathState.h"

namespace {

// The current directory shows the names as they are on disk. Most are already so spelt: only the
// others are replaced, and the parse's memory of the names is kept up to the first of them.
void ShowDiskNames(tessaly::win32::detail::WindowsPath& path) {
    thread_local std::string t_strAnsi;
    for (std::size_t i = 0; i < path.aDisk.size(); ++i) {
        if (tessaly::win32::DiskNameToAnsi(path.aDisk[i], t_strAnsi) &&
            t_strAnsi != path.aAnsi[i]) {
            path.ForgetParsedFrom(i);
            path.aAnsi[i] = t_strAnsi;
        }
    }
}

// The chdir to path as given, when that succeeds; the error is left as it was otherwise, and
// path's disk names too, for the lookup that ignores case.
bool ChangeCurrentDirectoryAsGiven(tessaly::win32::detail::WindowsPath& path) {
    using namespace tessaly::win32::detail;
    const DWORD dwError = GetLastError();
    ShowDiskNames(path);
    if (ChangeCurrentDirectory(path)) {
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
    // The thread's path keeps its room, and the names of the folders it shares with the one
    // before (a walk enters folder after folder below the same ones).
    thread_local WindowsPath t_path;
    WindowsPath& path = t_path;
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
