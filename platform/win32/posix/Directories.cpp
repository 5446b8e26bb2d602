// Folders and names: DeleteFileA, CreateDirectoryA, RemoveDirectoryA, GetFileAttributesA and
// dbghelp's MakeSureDirectoryPathExists.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/common/AnsiPath.h"
#include "platform/win32/posix/PathResolve.h"
#include "platform/win32/posix/PathState.h"
#include "platform/win32/posix/Sys.h"

namespace tessaly::win32::detail {
namespace {

constexpr mode_t kNewFolderMode = 0777; // narrowed by the umask

// Creates the folder strAnsiPath names unless a folder (of any case) is there already; false
// with the error set when it cannot be made or another kind of entry holds the name.
bool EnsureFolder(std::string_view strAnsiPath) {
    WindowsPath path;
    if (!ParseWindowsPath(strAnsiPath, path)) {
        return false;
    }
    const std::string strGiven = path.PosixPath();
    bool bExists = false;
    FoundEntry found;
    // mkdir never replaces: a folder that appeared meanwhile is as good.
    if (!ResolveOnDisk(path, true, bExists, static_cast<std::size_t>(-1), &found, Reuse::Known)) {
        return false;
    }
    const std::string strPosix = path.PosixPath();
    struct stat st;
    if (bExists && found.stx.stx_mask != 0 && !found.bLink) {
        st.st_mode = found.stx.stx_mode;
    } else if (!bExists || ::stat(strPosix.c_str(), &st) != 0) {
        if (bExists && errno != ENOENT) {
            SetLastErrorFromErrno(errno);
            return false;
        }
        if (SysMkdir(strPosix.c_str(), kNewFolderMode) == 0) {
            NoteEntryAdded(strPosix, false);
            NoteFolderCreated(strGiven, path);
            return true;
        }
        // Another thread or process may have made it meanwhile: that is as good.
        if (errno != EEXIST || ::stat(strPosix.c_str(), &st) != 0) {
            SetLastErrorFromErrno(errno == ENOENT ? ENOTDIR : errno);
            return false;
        }
    }
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    return true;
}

} // namespace
} // namespace tessaly::win32::detail

using namespace tessaly::win32;
using namespace tessaly::win32::detail;

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
    if (lpFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string strPosix;
    if (!ResolvePath(lpFileName, strPosix)) {
        return FALSE;
    }
    struct stat st;
    if (::lstat(strPosix.c_str(), &st) != 0) {
        SetLastErrorFromErrno(errno);
        return FALSE;
    }
    // Folders go through RemoveDirectoryA.
    if (S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (::unlink(strPosix.c_str()) != 0) {
        SetLastErrorFromErrno(errno);
        return FALSE;
    }
    NoteEntryRemoved(strPosix);
    return TRUE;
}

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/) {
    if (lpPathName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string strPosix;
    if (!ResolvePath(WithoutTrailingSeparators(lpPathName), strPosix)) {
        return FALSE;
    }
    // The name resolves to an existing entry also when only its case differs.
    struct stat st;
    if (::lstat(strPosix.c_str(), &st) == 0) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    if (SysMkdir(strPosix.c_str(), kNewFolderMode) != 0) {
        // ENOENT: the parent went away since it was resolved.
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
        return FALSE;
    }
    NoteEntryAdded(strPosix);
    return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
    if (lpPathName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string strPosix;
    if (!ResolvePath(WithoutTrailingSeparators(lpPathName), strPosix)) {
        return FALSE;
    }
    struct stat st;
    if (::lstat(strPosix.c_str(), &st) != 0) {
        SetLastErrorFromErrno(errno);
        return FALSE;
    }
    // A link to a folder is removed as a folder, as Windows removes a directory symlink.
    struct stat stTarget;
    const bool bFolderLink = S_ISLNK(st.st_mode) && ::stat(strPosix.c_str(), &stTarget) == 0 &&
                             S_ISDIR(stTarget.st_mode);
    if (!S_ISDIR(st.st_mode) && !bFolderLink) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    if ((bFolderLink ? ::unlink(strPosix.c_str()) : ::rmdir(strPosix.c_str())) != 0) {
        SetLastError(errno == ENOTDIR ? ERROR_DIRECTORY : ErrorFromErrno(errno));
        return FALSE;
    }
    NoteEntryRemoved(strPosix);
    return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
    if (lpFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::string strPosix;
    if (!ResolvePath(lpFileName, strPosix)) {
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat st;
    // A dangling link still names an entry: it is reported as a file.
    if (::stat(strPosix.c_str(), &st) != 0 && ::lstat(strPosix.c_str(), &st) != 0) {
        SetLastErrorFromErrno(errno);
        return INVALID_FILE_ATTRIBUTES;
    }
    return S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
}

BOOL WINAPI MakeSureDirectoryPathExists(LPCSTR DirPath) {
    if (DirPath == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string_view strPath(DirPath);
    // Every prefix that ends before a separator names a folder, from the outermost inwards; the
    // part after the last one is a file name. A drive ("X:"), a root and the empty components
    // of doubled separators are no folders to make.
    std::size_t uComponentStart = 0;
    for (const std::size_t uSeparator : SeparatorPositions(strPath)) {
        const std::string_view strComponent =
            strPath.substr(uComponentStart, uSeparator - uComponentStart);
        const bool bDrive =
            uComponentStart == 0 && strComponent.size() == 2 && strComponent[1] == ':';
        if (!strComponent.empty() && !bDrive && !EnsureFolder(strPath.substr(0, uSeparator))) {
            return FALSE;
        }
        uComponentStart = uSeparator + 1;
    }
    return TRUE;
}
