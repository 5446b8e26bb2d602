// Folders and names: DeleteFileA, CreateDirectoryA, RemoveDirectoryA, GetFileAttributesA and
// dbghelp's MakeSureDirectoryPathExists; reading a folder's names ahead.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/common/AnsiPath.h"
#include "platform/win32/posix/CaseIndex.h"
#include "platform/win32/posix/MoveTemporary.h"
#include "platform/win32/posix/PathResolve.h"
#include "platform/win32/posix/PathState.h"
#include "platform/win32/posix/Sys.h"

namespace tessaly::win32::detail {
namespace {

constexpr mode_t kNewFolderMode = 0777; // narrowed by the umask

// A folder's path as parsed and resolved, up to its parent when the folder itself is missing.
struct LookedUpFolder {
    WindowsPath path;
    std::string strGiven; // its POSIX form as spelled, before the lookup
    bool bExists = false;
    FoundEntry found;
};

// Parses and resolves strAnsiPath into folder; false with the error set when that fails.
bool LookUpFolder(std::string_view strAnsiPath, LookedUpFolder& folder) {
    if (!ParseWindowsPath(strAnsiPath, folder.path)) {
        return false;
    }
    folder.strGiven = folder.path.PosixPath();
    return ResolveOnDisk(folder.path, true, folder.bExists, static_cast<std::size_t>(-1),
                         &folder.found, Reuse::Known);
}

// Creates the folder looked up unless a folder (of any case) is there already; false with the
// error set when it cannot be made or another kind of entry holds the name.
bool EnsureLookedUpFolder(const LookedUpFolder& folder) {
    const std::string strPosix = folder.path.PosixPath();
    struct stat st;
    if (folder.bExists && folder.found.stx.stx_mask != 0 && !folder.found.bLink) {
        st.st_mode = folder.found.stx.stx_mode;
    } else if (!folder.bExists || ::stat(strPosix.c_str(), &st) != 0) {
        if (folder.bExists && errno != ENOENT) {
            SetLastErrorFromErrno(errno);
            return false;
        }
        // mkdir never replaces: a folder that appeared meanwhile is as good.
        if (SysMkdir(strPosix.c_str(), kNewFolderMode) == 0) {
            NoteEntryAdded(strPosix, false);
            NoteFolderCreated(folder.strGiven, folder.path);
            NoteFolderSwept(strPosix); // made empty here: no killed run's copy is in it
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

bool EnsureFolder(std::string_view strAnsiPath) {
    LookedUpFolder folder;
    return LookUpFolder(strAnsiPath, folder) && EnsureLookedUpFolder(folder);
}

// What a lookup can tell of a folder without making anything (EnsureFolder says what else).
enum class EProbe { Folder, Missing, MissingBelowFolder, Other };

// The folder strAnsiPath names; when it is missing but its parent resolved (a folder),
// MissingBelowFolder with the lookup in folder, ready to make it.
EProbe ProbeFolder(std::string_view strAnsiPath, LookedUpFolder& folder) {
    if (!LookUpFolder(strAnsiPath, folder)) {
        return GetLastError() == ERROR_PATH_NOT_FOUND ? EProbe::Missing : EProbe::Other;
    }
    if (!folder.bExists) {
        return EProbe::MissingBelowFolder;
    }
    return folder.found.stx.stx_mask != 0 && !folder.found.bLink &&
                   S_ISDIR(folder.found.stx.stx_mode)
               ? EProbe::Folder
               : EProbe::Other;
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
    std::vector<std::size_t> auFolderEnds;
    std::size_t uComponentStart = 0;
    for (const std::size_t uSeparator : SeparatorPositions(strPath)) {
        const std::string_view strComponent =
            strPath.substr(uComponentStart, uSeparator - uComponentStart);
        const bool bDrive =
            uComponentStart == 0 && strComponent.size() == 2 && strComponent[1] == ':';
        if (!strComponent.empty() && !bDrive) {
            auFolderEnds.push_back(uSeparator);
        }
        uComponentStart = uSeparator + 1;
    }
    // Most often the folder or its parent is there: the search starts at the inner end, so that
    // the folders above (the drive's own, say) are not looked up one by one. A folder found
    // missing below one that resolved is made from that lookup.
    std::size_t uFirstToMake = auFolderEnds.size();
    LookedUpFolder firstToMake;
    bool bFirstLookedUp = false;
    while (uFirstToMake > 0) {
        const EProbe eProbe =
            ProbeFolder(strPath.substr(0, auFolderEnds[uFirstToMake - 1]), firstToMake);
        if (eProbe == EProbe::Other) {
            uFirstToMake = 0; // something else stands on the way: said in order from the top
        }
        if (eProbe == EProbe::MissingBelowFolder) {
            --uFirstToMake;
            bFirstLookedUp = true;
        }
        if (eProbe != EProbe::Missing) {
            break;
        }
        --uFirstToMake;
    }
    for (std::size_t u = uFirstToMake; u < auFolderEnds.size(); ++u) {
        if (!(bFirstLookedUp && u == uFirstToMake
                  ? EnsureLookedUpFolder(firstToMake)
                  : EnsureFolder(strPath.substr(0, auFolderEnds[u])))) {
            return FALSE;
        }
    }
    return TRUE;
}

void tessaly::win32::ReadFolderNamesAhead(LPCSTR lpFolder) {
    std::string strPosix;
    bool bExists = false;
    if (lpFolder != nullptr && ResolvePath(lpFolder, strPosix, &bExists) && bExists) {
        CaseIndexReadAhead(strPosix);
    }
}
