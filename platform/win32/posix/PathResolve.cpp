// Case-insensitive resolution. A path in a folder the layer is changing itself is answered from
// what it knows of that folder. Otherwise the common case costs one statx: the whole path as
// given. Only when it is missing is the longest existing prefix sought (backwards, one lstat each)
// and the rest matched through the folders' case indexes.
#include "platform/win32/posix/PathResolve.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/win32/Win32Errors.h"
#include "platform/win32/posix/CaseIndex.h"
#include "platform/win32/posix/KnownPaths.h"

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

// One statx without following links answers both "is it there" and "what is it"; only a link
// costs a second call for its target. False with errno set.
bool StatFound(const std::string& strPath, FoundEntry& found) {
    found.bLink = false;
    if (::statx(AT_FDCWD, strPath.c_str(), AT_NO_AUTOMOUNT | AT_SYMLINK_NOFOLLOW, kStatxMask,
                &found.stx) != 0) {
        found.stx.stx_mask = 0;
        return false;
    }
    if (S_ISLNK(found.stx.stx_mode)) {
        found.bLink = true;
        struct statx stxTarget;
        if (::statx(AT_FDCWD, strPath.c_str(), AT_NO_AUTOMOUNT, kStatxMask, &stxTarget) == 0) {
            found.stx = stxTarget;
        }
    }
    return true;
}

// Remembers what a lookup found, for the calls that follow it. bAsGiven: the path was found
// spelled as given, so its resolved form is strGiven itself.
void NoteFound(const std::string& strGiven, const WindowsPath& path, std::size_t n,
               const FoundEntry& found, bool bAsGiven = false) {
    KnownEntry entry;
    entry.aDisk.assign(path.aDisk.begin(), path.aDisk.begin() + static_cast<std::ptrdiff_t>(n));
    entry.stx = found.stx;
    entry.bLink = found.bLink;
    const std::string strResolved = bAsGiven ? strGiven : path.PosixPath(n);
    if (S_ISDIR(found.stx.stx_mode) && !found.bLink) {
        NoteFolderSeen(strGiven, strResolved, entry);
    } else {
        NoteEntrySeen(strGiven, strResolved, entry);
    }
}

bool TakeKnown(WindowsPath& path, std::size_t n, const KnownEntry& known, FoundEntry* pFound) {
    if (known.aDisk.size() != n) {
        return false;
    }
    std::copy(known.aDisk.begin(), known.aDisk.end(), path.aDisk.begin());
    if (pFound != nullptr) {
        pFound->stx = known.stx;
        pFound->bLink = known.bLink;
    }
    return true;
}

// The answer from what the layer knows, without the disk where it can: 1 answered (bExists set),
// -1 failed (GetLastError set: a folder on the way is missing), 0 not answered. Only a name the
// index holds costs a statx, so that a file's own data is fresh.
int ResolveFromKnown(WindowsPath& path, std::size_t n, const std::string& strGiven, bool& bExists,
                     FoundEntry* pFound, Reuse eReuse) {
    KnownEntry known;
    if (((eReuse == Reuse::LastLookup && LookupRecentEntry(strGiven, known)) ||
         LookupTrustedFolder(strGiven, known)) &&
        TakeKnown(path, n, known, pFound)) {
        bExists = true;
        return 1;
    }
    // The nearest folder on the way that the layer is changing itself; its spelling is strGiven
    // cut short, as PosixPath would build it.
    std::string strPrefix = strGiven;
    std::size_t m = n;
    while (m-- > 0) {
        strPrefix.resize(strPrefix.size() - path.aDisk[m].size());
        if (strPrefix.size() > 1 && strPrefix.size() > path.strRoot.size()) {
            strPrefix.pop_back(); // the separator before the name
        }
        if (LookupTrustedFolder(strPrefix, known) && known.aDisk.size() == m) {
            break;
        }
    }
    if (m == static_cast<std::size_t>(-1)) {
        return 0;
    }
    const std::vector<std::string> aGiven(path.aDisk.begin(),
                                          path.aDisk.begin() + static_cast<std::ptrdiff_t>(m + 1));
    std::copy(known.aDisk.begin(), known.aDisk.end(), path.aDisk.begin());
    const std::string strFolder = path.PosixPath(m);
    std::string strFound;
    const int iAnswer = FindNameInTrustedIndex(strFolder, path.aDisk[m], strFound);
    if (iAnswer == 0) {
        if (m + 1 < n) {
            Fail(ERROR_PATH_NOT_FOUND);
            return -1;
        }
        bExists = false;
        return 1;
    }
    if (iAnswer > 0 && m + 1 == n) {
        path.aDisk[m] = strFound;
        FoundEntry found;
        if (StatFound(path.PosixPath(n), found)) {
            NoteFound(strGiven, path, n, found);
            if (pFound != nullptr) {
                *pFound = found;
            }
            bExists = true;
            return 1;
        }
        // The index is behind someone else's change.
        CaseIndexForget(strFolder);
    }
    std::copy(aGiven.begin(), aGiven.end(), path.aDisk.begin());
    return 0;
}

// FindNameIgnoringCase, taking a trusted index's answer first where the lookup may.
bool FindName(const std::string& strFolder, const std::string& strName, std::string& strFound,
              const struct stat* pFolderStat, Reuse eReuse) {
    if (eReuse != Reuse::None) {
        const int iAnswer = FindNameInTrustedIndex(strFolder, strName, strFound);
        if (iAnswer == 0) {
            return false;
        }
        struct stat st;
        const std::string strPath = strFolder + (strFolder.back() == '/' ? "" : "/") + strFound;
        if (iAnswer > 0 && ::lstat(strPath.c_str(), &st) == 0) {
            return true;
        }
        if (iAnswer > 0) {
            CaseIndexForget(strFolder); // behind someone else's change
        }
    }
    return FindNameIgnoringCase(strFolder, strName, strFound, pFolderStat);
}

} // namespace

bool ResolveOnDisk(WindowsPath& path, bool bLastMayBeMissing, bool& bExists, std::size_t n,
                   FoundEntry* pFound, Reuse eReuse) {
    n = std::min(n, path.aDisk.size());
    bExists = false;
    if (pFound != nullptr) {
        *pFound = FoundEntry();
    }
    struct stat st;
    if (n == 0) {
        if (::lstat(path.strRoot.c_str(), &st) != 0) {
            return Fail(ERROR_PATH_NOT_FOUND);
        }
        bExists = true;
        return true;
    }
    const std::string strGiven = path.PosixPath(n);
    if (eReuse != Reuse::None &&
        ResolveFromKnown(path, n, strGiven, bExists, pFound, eReuse) != 0) {
        return bExists || bLastMayBeMissing || Fail(ERROR_FILE_NOT_FOUND);
    }
    FoundEntry found;
    if (StatFound(strGiven, found)) {
        // Only the checks before a move or a creation are followed by calls that use it.
        if (eReuse != Reuse::None) {
            NoteFound(strGiven, path, n, found, true);
        }
        if (pFound != nullptr) {
            *pFound = found;
        }
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
        if (FindName(strFolder, strName, strFound, pFolderStat, eReuse)) {
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

bool ResolvePath(std::string_view strAnsiPath, std::string& strPosixOut, bool* pbExists,
                 FoundEntry* pFound) {
    WindowsPath path;
    bool bExists = false;
    if (!ParseWindowsPath(strAnsiPath, path) ||
        !ResolveOnDisk(path, true, bExists, static_cast<std::size_t>(-1), pFound)) {
        return false;
    }
    strPosixOut = path.PosixPath();
    if (pbExists != nullptr) {
        *pbExists = bExists;
    }
    return true;
}

void NoteEntryAdded(const std::string& strPosixPath, bool bTakeTime) {
    std::string strFolder;
    std::string strName;
    if (SplitLast(strPosixPath, strFolder, strName)) {
        CaseIndexNoteAdded(strFolder, strName, bTakeTime);
        KnownPathsNoteChange(strFolder, strName, true);
    }
}

void NoteEntryRemoved(const std::string& strPosixPath, bool bTakeTime) {
    std::string strFolder;
    std::string strName;
    if (SplitLast(strPosixPath, strFolder, strName)) {
        CaseIndexNoteRemoved(strFolder, strName, bTakeTime);
        KnownPathsNoteChange(strFolder, strName, false);
    }
}

void NoteFolderCreated(const std::string& strGiven, const WindowsPath& path) {
    const std::string strPosix = path.PosixPath();
    FoundEntry found;
    if (path.aDisk.empty() || !StatFound(strPosix, found) || !S_ISDIR(found.stx.stx_mode) ||
        found.bLink) {
        return;
    }
    CaseIndexNoteCreatedFolder(strPosix);
    KnownEntry entry;
    entry.aDisk = path.aDisk;
    entry.stx = found.stx;
    // Its content is the layer's own so far.
    NoteFolderSeen(strGiven, strPosix, entry, true);
}

void ForgetFolder(const std::string& strPosixFolder) {
    CaseIndexForget(strPosixFolder);
    ForgetKnownPaths(strPosixFolder);
}

} // namespace tessaly::win32::detail
