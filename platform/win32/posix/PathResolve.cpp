// Case-insensitive resolution. The common case costs one lstat: the whole path as given. Only
// when it is missing is the longest existing prefix sought (backwards, one lstat each) and the
// rest matched through the folders' case indexes.
#include "platform/win32/posix/PathResolve.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/win32/Win32Errors.h"
#include "platform/win32/posix/CaseIndex.h"

namespace tessaly::win32::detail {
namespace {

constexpr unsigned kStatxMask = STATX_BASIC_STATS | STATX_BTIME;

bool Fail(DWORD dwError) {
    SetLastError(dwError);
    return false;
}

// errno of a failed lstat while walking a path.
bool FailFromErrno(int iErrno) {
    if (iErrno == ENOENT || iErrno == ENOTDIR) {
        return Fail(ERROR_PATH_NOT_FOUND);
    }
    SetLastErrorFromErrno(iErrno);
    return false;
}

void Append(std::string& strPath, const std::string& strName) {
    if (strPath.empty() || strPath.back() != '/') {
        strPath += '/';
    }
    strPath += strName;
}

// Splits "/a/b/name" into "/a/b" and "name"; false for "/" or a name-less path.
bool SplitLast(const std::string& strPath, std::string& strFolder, std::string& strName) {
    std::size_t uEnd = strPath.size();
    while (uEnd > 1 && strPath[uEnd - 1] == '/') {
        --uEnd;
    }
    const std::size_t uSlash = strPath.rfind('/', uEnd - 1);
    if (uSlash == std::string::npos || uSlash + 1 >= uEnd) {
        return false;
    }
    strFolder = uSlash == 0 ? "/" : strPath.substr(0, uSlash);
    strName = strPath.substr(uSlash + 1, uEnd - uSlash - 1);
    return true;
}

} // namespace

bool ResolveOnDisk(WindowsPath& path, bool bLastMayBeMissing, bool& bExists, std::size_t n,
                   struct statx* pStx) {
    n = std::min(n, path.aDisk.size());
    bExists = false;
    if (pStx != nullptr) {
        pStx->stx_mask = 0;
    }
    struct stat st;
    if (n == 0) {
        if (::lstat(path.strRoot.c_str(), &st) != 0) {
            return Fail(ERROR_PATH_NOT_FOUND);
        }
        bExists = true;
        return true;
    }
    if (pStx != nullptr) {
        // One statx without following links answers both "is it there" and "what is it"; only a
        // link costs a second call for its target.
        const std::string strPath = path.PosixPath(n);
        if (::statx(AT_FDCWD, strPath.c_str(), AT_NO_AUTOMOUNT | AT_SYMLINK_NOFOLLOW, kStatxMask,
                    pStx) == 0) {
            if (S_ISLNK(pStx->stx_mode)) {
                struct statx stxTarget;
                if (::statx(AT_FDCWD, strPath.c_str(), AT_NO_AUTOMOUNT, kStatxMask, &stxTarget) ==
                    0) {
                    *pStx = stxTarget;
                }
            }
            bExists = true;
            return true;
        }
        pStx->stx_mask = 0;
    } else if (::lstat(path.PosixPath(n).c_str(), &st) == 0) {
        bExists = true;
        return true;
    }
    if (errno != ENOENT) {
        return FailFromErrno(errno);
    }
    // The longest prefix that exists as given: components [0, k) match exactly.
    std::size_t k = n - 1;
    for (; k > 0; --k) {
        if (::lstat(path.PosixPath(k).c_str(), &st) == 0) {
            break;
        }
        if (errno != ENOENT) {
            return FailFromErrno(errno);
        }
    }
    // A prefix's lstat describes the folder as its index needs it unless it is a link.
    const struct stat* pFolderStat = k > 0 && S_ISDIR(st.st_mode) ? &st : nullptr;
    std::string strFolder = path.PosixPath(k);
    for (std::size_t j = k; j < n; ++j) {
        std::string& strName = path.aDisk[j];
        if (j > k) {
            pFolderStat = nullptr;
            const std::string strExact = strFolder + (strFolder.back() == '/' ? "" : "/") + strName;
            if (::lstat(strExact.c_str(), &st) == 0) {
                strFolder = strExact;
                continue;
            }
            if (errno != ENOENT) {
                return FailFromErrno(errno);
            }
        }
        std::string strFound;
        if (FindNameIgnoringCase(strFolder, strName, strFound, pFolderStat)) {
            strName = std::move(strFound);
            Append(strFolder, strName);
            continue;
        }
        if (j == 0 && ::lstat(path.strRoot.c_str(), &st) != 0) {
            return Fail(ERROR_PATH_NOT_FOUND); // the drive's folder itself is missing
        }
        if (j + 1 < n) {
            return Fail(ERROR_PATH_NOT_FOUND);
        }
        if (!bLastMayBeMissing) {
            return Fail(ERROR_FILE_NOT_FOUND);
        }
        return true;
    }
    bExists = true;
    return true;
}

bool ResolvePath(std::string_view strAnsiPath, std::string& strPosixOut, bool* pbExists) {
    WindowsPath path;
    bool bExists = false;
    if (!ParseWindowsPath(strAnsiPath, path) || !ResolveOnDisk(path, true, bExists)) {
        return false;
    }
    strPosixOut = path.PosixPath();
    if (pbExists != nullptr) {
        *pbExists = bExists;
    }
    return true;
}

void NoteEntryAdded(const std::string& strPosixPath) {
    std::string strFolder;
    std::string strName;
    if (SplitLast(strPosixPath, strFolder, strName)) {
        CaseIndexNoteAdded(strFolder, strName);
    }
}

void NoteEntryRemoved(const std::string& strPosixPath) {
    std::string strFolder;
    std::string strName;
    if (SplitLast(strPosixPath, strFolder, strName)) {
        CaseIndexNoteRemoved(strFolder, strName);
    }
}

} // namespace tessaly::win32::detail
