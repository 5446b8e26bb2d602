// Case-insensitive resolution. A path in a folder the layer is changing itself is answered from
// what it knows of that folder. Otherwise the common case costs one statx: the whole path as
// given. Only when it is missing is the longest existing prefix sought (backwards, one lstat each)
// and the rest matched through the folders' case indexes.
#include "platform/win32/posix/PathResolve.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/win32/Win32Errors.h"
#include "platform/win32/posix/CaseIndex.h"
#include "platform/win32/posix/KnownPaths.h"

namespace tessaly::win32::detail {
namespace {

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
bool SplitLast(std::string_view strPath, std::string_view& strFolder, std::string_view& strName) {
    std::size_t uEnd = strPath.size();
    while (uEnd > 1 && strPath[uEnd - 1] == '/') {
        --uEnd;
    }
    // memrchr scans words at a time; names are long and paths many.
    const void* pSlash = uEnd == 0 ? nullptr : ::memrchr(strPath.data(), '/', uEnd);
    if (pSlash == nullptr) {
        return false;
    }
    const std::size_t uSlash =
        static_cast<std::size_t>(static_cast<const char*>(pSlash) - strPath.data());
    if (uSlash + 1 >= uEnd) {
        return false;
    }
    strFolder = uSlash == 0 ? std::string_view("/") : strPath.substr(0, uSlash);
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

// path.PosixPath(n) in strOut, whose buffer is reused: sized once, then written in place.
void AssignPosixPath(const WindowsPath& path, std::size_t n, std::string& strOut) {
    std::size_t uLength = path.strRoot.size();
    for (std::size_t i = 0; i < n; ++i) {
        uLength += path.aDisk[i].size() + 1;
    }
    strOut.resize(uLength);
    char* pc = strOut.data();
    std::memcpy(pc, path.strRoot.data(), path.strRoot.size());
    std::size_t uPos = path.strRoot.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (uPos == 0 || pc[uPos - 1] != '/') {
            pc[uPos++] = '/';
        }
        const std::string& strName = path.aDisk[i];
        std::memcpy(pc + uPos, strName.data(), strName.size());
        uPos += strName.size();
    }
    strOut.resize(uPos);
}

// strName in strFolder, as PosixPath joins them.
std::string JoinPath(std::string_view strFolder, std::string_view strName) {
    std::string strPath;
    strPath.reserve(strFolder.size() + 1 + strName.size());
    strPath.append(strFolder);
    if (strPath.empty() || strPath.back() != '/') {
        strPath += '/';
    }
    strPath.append(strName);
    return strPath;
}

// Remembers what a lookup found, for the calls that follow it. strResolved: path.PosixPath(n).
void NoteFound(const std::string& strGiven, const WindowsPath& path, std::size_t n,
               const FoundEntry& found, std::string_view strResolved) {
    auto pEntry = std::make_shared<KnownEntry>();
    pEntry->strResolved.assign(strResolved);
    pEntry->uRootLength = path.strRoot.size();
    pEntry->nNames = n;
    pEntry->stx = found.stx;
    pEntry->bLink = found.bLink;
    if (S_ISDIR(found.stx.stx_mode) && !found.bLink) {
        NoteFolderSeen(strGiven, std::move(pEntry));
    } else {
        NoteEntrySeen(strGiven, std::move(pEntry));
    }
}

// The known entry's on-disk names in place of the first ones of path, whose POSIX path up to
// there is strGiven. Most often they are spelled alike, and then nothing is compared name by name.
void TakeNames(WindowsPath& path, const KnownEntry& known, std::string_view strGiven) {
    if (strGiven == known.strResolved) {
        return;
    }
    known.ForEachName([&](std::size_t i, std::string_view strName) {
        if (path.aDisk[i] != strName) {
            path.ForgetParsedFrom(i);
            path.aDisk[i].assign(strName);
        }
    });
}

bool TakeKnown(WindowsPath& path, std::size_t n, const KnownEntry& known, std::string_view strGiven,
               FoundEntry* pFound) {
    if (known.nNames != n || known.uRootLength != path.strRoot.size()) {
        return false;
    }
    TakeNames(path, known, strGiven);
    if (pFound != nullptr) {
        pFound->stx = known.stx;
        pFound->bLink = known.bLink;
    }
    return true;
}

// The answer from what the layer knows, without the disk where it can: 1 answered (bExists set,
// *pstrPosix too when given), -1 failed (GetLastError set: a folder on the way is missing), 0 not
// answered (path unchanged). Only a name the index holds costs a statx, so that a file's own data
// is fresh.
int ResolveFromKnown(WindowsPath& path, std::size_t n, const std::string& strGiven, bool& bExists,
                     FoundEntry* pFound, Reuse eReuse, std::string* pstrPosix) {
    const auto answerKnown = [&](const KnownEntry& known) {
        bExists = true;
        if (pstrPosix != nullptr) {
            *pstrPosix = known.strResolved;
        }
        return 1;
    };
    KnownEntryPtr pKnown = nullptr;
    if (eReuse == Reuse::LastLookup) {
        pKnown = LookupRecentEntry(strGiven);
        if (pKnown == nullptr) {
            pKnown = TakeEntryBeforeMove(strGiven);
        }
    }
    if (pKnown != nullptr && TakeKnown(path, n, *pKnown, strGiven, pFound)) {
        return answerKnown(*pKnown);
    }
    // The path itself, or else the nearest folder on the way, that the layer is changing itself;
    // their spellings are strGiven cut short, as PosixPath would build them. The path itself is
    // not asked for when the last lookup's answer was there but of no use.
    thread_local std::vector<std::size_t> t_auPrefixEnds;
    t_auPrefixEnds.resize(n + 1);
    std::size_t uEnd = strGiven.size();
    t_auPrefixEnds[n] = uEnd;
    for (std::size_t m = n; m-- > 0;) {
        uEnd -= path.aDisk[m].size();
        if (uEnd > 1 && uEnd > path.strRoot.size()) {
            --uEnd; // the separator before the name
        }
        t_auPrefixEnds[m] = uEnd;
    }
    std::size_t m = 0;
    pKnown = LookupNearestTrustedFolder(strGiven, t_auPrefixEnds.data(),
                                        pKnown == nullptr ? n + 1 : n, m);
    if (pKnown == nullptr || pKnown->uRootLength != path.strRoot.size()) {
        return 0;
    }
    if (m == n) {
        TakeKnown(path, n, *pKnown, strGiven, pFound);
        return answerKnown(*pKnown);
    }
    const std::string_view strFolderGiven = std::string_view(strGiven).substr(0, t_auPrefixEnds[m]);
    const std::string& strFolder = pKnown->strResolved;
    std::string strFound;
    const int iAnswer = FindNameInTrustedIndex(strFolder, path.aDisk[m], strFound);
    if (iAnswer == 0) {
        if (m + 1 < n) {
            Fail(ERROR_PATH_NOT_FOUND);
            return -1;
        }
        TakeNames(path, *pKnown, strFolderGiven); // the folder as on disk, the name as given
        if (pstrPosix != nullptr) {
            *pstrPosix = JoinPath(strFolder, path.aDisk[m]);
        }
        bExists = false;
        return 1;
    }
    if (iAnswer > 0 && m + 1 == n) {
        std::string strPath = JoinPath(strFolder, strFound);
        FoundEntry found;
        if (StatFound(strPath, found)) {
            TakeNames(path, *pKnown, strFolderGiven);
            path.ForgetParsedFrom(m);
            path.aDisk[m] = std::move(strFound);
            NoteFound(strGiven, path, n, found, strPath);
            if (pFound != nullptr) {
                *pFound = found;
            }
            if (pstrPosix != nullptr) {
                *pstrPosix = std::move(strPath);
            }
            bExists = true;
            return 1;
        }
        // The index is behind someone else's change.
        CaseIndexForget(strFolder);
    }
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
                   FoundEntry* pFound, Reuse eReuse, std::string* pstrPosix) {
    n = std::min(n, path.aDisk.size());
    bExists = false;
    if (pFound != nullptr) {
        pFound->stx.stx_mask = 0; // what marks it unknown
        pFound->bLink = false;
    }
    // Every success but the known and the as-given answers spells the path out from its names.
    const auto resolved = [&] {
        if (pstrPosix != nullptr) {
            *pstrPosix = path.PosixPath(n);
        }
        return true;
    };
    struct stat st;
    if (n == 0) {
        if (::lstat(path.strRoot.c_str(), &st) != 0) {
            return Fail(ERROR_PATH_NOT_FOUND);
        }
        bExists = true;
        return resolved();
    }
    // Built in the thread's buffer: every lookup spells its path out once.
    thread_local std::string t_strGiven;
    std::string& strGiven = t_strGiven;
    AssignPosixPath(path, n, strGiven);
    if (eReuse != Reuse::None) {
        const int iKnown = ResolveFromKnown(path, n, strGiven, bExists, pFound, eReuse, pstrPosix);
        if (iKnown < 0) {
            return false; // a folder on the way is missing, as the disk would have said
        }
        if (iKnown > 0) {
            return bExists || bLastMayBeMissing || Fail(ERROR_FILE_NOT_FOUND);
        }
    }
    FoundEntry found;
    if (StatFound(strGiven, found)) {
        // Only the checks before a move or a creation are followed by calls that use it.
        if (eReuse != Reuse::None) {
            NoteFound(strGiven, path, n, found, strGiven);
        }
        if (pFound != nullptr) {
            *pFound = found;
        }
        bExists = true;
        if (pstrPosix != nullptr) {
            *pstrPosix = std::move(strGiven);
        }
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
            path.ForgetParsedFrom(j);
            strName = std::move(strFound);
            Append(strFolder, strName);
            continue;
        }
        if (j == 0 && ::lstat(path.strRoot.c_str(), &st) != 0) {
            return Fail(ERROR_PATH_NOT_FOUND); // the drive's folder itself is missing
        }
        if (j + 1 < n) {
            // The disk has no such folder: what the layer still knew of it (one it was changing,
            // removed by someone else since) must not answer for it any more.
            ForgetFolder(JoinPath(strFolder, strName));
            return Fail(ERROR_PATH_NOT_FOUND);
        }
        if (!bLastMayBeMissing) {
            return Fail(ERROR_FILE_NOT_FOUND);
        }
        return resolved();
    }
    bExists = true;
    return resolved();
}

bool ResolvePath(std::string_view strAnsiPath, std::string& strPosixOut, bool* pbExists,
                 FoundEntry* pFound) {
    WindowsPath path;
    bool bExists = false;
    if (!ParseWindowsPath(strAnsiPath, path) ||
        !ResolveOnDisk(path, true, bExists, static_cast<std::size_t>(-1), pFound, Reuse::None,
                       &strPosixOut)) {
        return false;
    }
    if (pbExists != nullptr) {
        *pbExists = bExists;
    }
    return true;
}

bool ResolvePathBeforeMove(std::string_view strAnsiPath, std::string& strPosixOut, bool* pbExists,
                           FoundEntry* pFound) {
    // The thread's path and spelling keep their room from one source to the next, and a source
    // in the folder of the one before takes that folder's names over instead of parsing them.
    thread_local WindowsPath t_path;
    thread_local std::string t_strSpelling;
    WindowsPath& path = t_path;
    std::string& strGiven = t_strSpelling;
    bool bExists = false;
    FoundEntry found;
    if (!ParseWindowsPath(strAnsiPath, path)) {
        return false;
    }
    AssignPosixPath(path, path.aDisk.size(), strGiven);
    if (!ResolveOnDisk(path, true, bExists, static_cast<std::size_t>(-1), &found, Reuse::None,
                       &strPosixOut)) {
        return false;
    }
    if (bExists && found.stx.stx_mask != 0 && !S_ISDIR(found.stx.stx_mode) && !path.aDisk.empty()) {
        auto pEntry = std::make_shared<KnownEntry>();
        pEntry->strResolved = strPosixOut;
        pEntry->uRootLength = path.strRoot.size();
        pEntry->nNames = path.aDisk.size();
        pEntry->stx = found.stx;
        pEntry->bLink = found.bLink;
        NoteEntryBeforeMove(strGiven, std::move(pEntry));
    }
    if (pbExists != nullptr) {
        *pbExists = bExists;
    }
    if (pFound != nullptr) {
        *pFound = found;
    }
    return true;
}

void NoteEntryAdded(std::string_view strPosixPath, bool bTakeTime) {
    std::string_view strFolder;
    std::string_view strName;
    if (SplitLast(strPosixPath, strFolder, strName)) {
        CaseIndexNoteAdded(strFolder, strName, bTakeTime);
        KnownPathsNoteChange(strFolder, strName, true);
    }
}

void NoteEntryRemoved(std::string_view strPosixPath, bool bTakeTime) {
    std::string_view strFolder;
    std::string_view strName;
    if (SplitLast(strPosixPath, strFolder, strName)) {
        CaseIndexNoteRemoved(strFolder, strName, bTakeTime);
        KnownPathsNoteChange(strFolder, strName, false);
    }
}

void NoteEntryMoved(std::string_view strFrom, std::string_view strTo) {
    std::string_view strFromFolder;
    std::string_view strFromName;
    std::string_view strToFolder;
    std::string_view strToName;
    const bool bFrom = SplitLast(strFrom, strFromFolder, strFromName);
    const bool bTo = SplitLast(strTo, strToFolder, strToName);
    if (!bFrom || !bTo) {
        NoteEntryRemoved(strFrom, false);
        NoteEntryAdded(strTo, false);
        return;
    }
    CaseIndexNoteMoved(strFromFolder, strFromName, strToFolder, strToName);
    KnownPathsNoteMoved(strFromFolder, strFromName, strToFolder, strToName);
}

void NoteFolderCreated(const std::string& strGiven, const WindowsPath& path) {
    const std::string strPosix = path.PosixPath();
    FoundEntry found;
    if (path.aDisk.empty() || !StatFound(strPosix, found) || !S_ISDIR(found.stx.stx_mode) ||
        found.bLink) {
        return;
    }
    CaseIndexNoteCreatedFolder(strPosix);
    auto pEntry = std::make_shared<KnownEntry>();
    pEntry->strResolved = strPosix;
    pEntry->uRootLength = path.strRoot.size();
    pEntry->nNames = path.aDisk.size();
    pEntry->stx = found.stx;
    // Its content is the layer's own so far.
    NoteFolderSeen(strGiven, std::move(pEntry), true);
}

void ForgetFolder(const std::string& strPosixFolder) {
    CaseIndexForget(strPosixFolder);
    ForgetKnownPaths(strPosixFolder);
}

} // namespace tessaly::win32::detail
