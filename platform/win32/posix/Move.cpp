// MoveFileA: a rename that never replaces, falling back to link and unlink where the file system
// lacks RENAME_NOREPLACE, and to copy, flush and delete across file systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/common/AnsiPath.h"
#include "platform/win32/posix/MoveTemporary.h"
#include "platform/win32/posix/PathResolve.h"
#include "platform/win32/posix/PathState.h"
#include "platform/win32/posix/Sys.h"

namespace tessaly::win32::detail {
namespace {

constexpr std::size_t kCopyChunk = 256 * 1024;

// renameat2 answers these when the file system does not know RENAME_NOREPLACE.
bool NoReplaceUnsupported(int iErrno) {
    return iErrno == EINVAL || iErrno == ENOSYS || iErrno == ENOTSUP;
}

// link answers these on file systems without hard links (FAT, some network mounts).
bool HardLinksUnsupported(int iErrno) {
    return iErrno == EPERM || iErrno == ENOTSUP || iErrno == EMLINK;
}

std::string ParentOf(const std::string& strPosix) {
    const std::size_t uSlash = strPosix.rfind('/');
    return uSlash == 0 ? std::string("/") : strPosix.substr(0, uSlash);
}

// Keeps errno across the clean-up calls of a failure path.
struct ErrnoKeeper {
    int iSaved = errno;
    ~ErrnoKeeper() { errno = iSaved; }
};

// Whether strPath is still the placeholder claimed as stClaim: the same entry, and for a file
// still empty, so nobody opened it and wrote.
bool IsOurPlaceholder(const std::string& strPath, const struct stat& stClaim, bool bFolder) {
    struct stat st;
    if (::lstat(strPath.c_str(), &st) != 0 || st.st_dev != stClaim.st_dev ||
        st.st_ino != stClaim.st_ino) {
        return false;
    }
    return bFolder ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode) && st.st_size == 0;
}

// Neither a no-replace rename nor hard links (always so for folders there): the name is claimed
// first by an exclusive create (an empty folder for a folder, which rename(2) replaces only while
// it stays empty), checked to be still ours, and then renamed over.
int RenameOverPlaceholder(const std::string& strFrom, const std::string& strTo, bool bFolder) {
    AtMoveStep(MoveStep::NameClaim, strTo);
    struct stat stClaim;
    if (bFolder) {
        if (SysMkdir(strTo.c_str(), 0700) != 0 || ::lstat(strTo.c_str(), &stClaim) != 0) {
            return -1;
        }
    } else {
        const int fd = SysOpen(strTo.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0) {
            return -1;
        }
        const int iStat = ::fstat(fd, &stClaim);
        ErrnoKeeper keep;
        SysClose(fd);
        if (iStat != 0) {
            ::unlink(strTo.c_str());
            return -1;
        }
    }
    AtMoveStep(MoveStep::NameClaimed, strTo);
    // Someone who opened our placeholder and wrote, or put their own file in its place, keeps it.
    if (!IsOurPlaceholder(strTo, stClaim, bFolder)) {
        errno = EEXIST;
        return -1;
    }
    AtMoveStep(MoveStep::NameChecked, strTo);
    if (SysRename(strFrom.c_str(), strTo.c_str()) == 0) {
        return 0;
    }
    ErrnoKeeper keep;
    if (IsOurPlaceholder(strTo, stClaim, bFolder)) {
        // rmdir fails on a folder that someone filled meanwhile, which is then theirs.
        bFolder ? ::rmdir(strTo.c_str()) : ::unlink(strTo.c_str());
    }
    return -1;
}

// Puts strFrom at strTo unless something is there. 0, or -1 with errno (EEXIST when taken).
int RenameNoReplace(const std::string& strFrom, const std::string& strTo, bool bFolder) {
    if (SysRenameNoReplace(strFrom.c_str(), strTo.c_str()) == 0) {
        return 0;
    }
    if (!NoReplaceUnsupported(errno)) {
        return -1;
    }
    if (!bFolder) {
        if (SysLink(strFrom.c_str(), strTo.c_str()) == 0) {
            if (SysUnlink(strFrom.c_str()) == 0) {
                return 0;
            }
            ErrnoKeeper keep;
            ::unlink(strTo.c_str());
            return -1;
        }
        if (!HardLinksUnsupported(errno)) {
            return -1;
        }
    }
    return RenameOverPlaceholder(strFrom, strTo, bFolder);
}

// The error a failed move reports for errno.
DWORD MoveErrorFromErrno(int iErrno) {
    return iErrno == EEXIST || iErrno == ENOTEMPTY ? ERROR_ALREADY_EXISTS : ErrorFromErrno(iErrno);
}

// All of the source's bytes into fdTo, their count in llCopied. 0, or -1 with errno (ENOSPC for
// a write that took none).
int CopyBytes(int fdFrom, int fdTo, const std::string& strFrom, off_t& llCopied) {
    std::vector<char> buffer(kCopyChunk);
    llCopied = 0;
    for (;;) {
        const ssize_t iRead = ::read(fdFrom, buffer.data(), buffer.size());
        if (iRead < 0 && errno == EINTR) {
            continue;
        }
        if (iRead <= 0) {
            return iRead < 0 ? -1 : 0;
        }
        for (ssize_t iDone = 0; iDone < iRead;) {
            const ssize_t iWritten = SysWrite(fdTo, buffer.data() + iDone, iRead - iDone);
            if (iWritten < 0 && errno == EINTR) {
                continue;
            }
            if (iWritten <= 0) {
                if (iWritten == 0) {
                    errno = ENOSPC;
                }
                return -1;
            }
            iDone += iWritten;
        }
        llCopied += iRead;
        AtMoveStep(MoveStep::CopyChunk, strFrom);
    }
}

// The destination's folder entry made durable before the source goes away.
int SyncFolder(const std::string& strFolder) {
    const int fd = SysOpen(strFolder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) {
        return -1;
    }
    const int iResult = SysFsync(fd);
    ErrnoKeeper keep;
    SysClose(fd);
    return iResult;
}

// Links the finished copy at strTo (never replacing), or renames it there where hard links are
// missing.
int PlaceCopy(const std::string& strTemp, const std::string& strTo) {
    if (SysLink(strTemp.c_str(), strTo.c_str()) == 0) {
        ::unlink(strTemp.c_str());
        return 0;
    }
    if (!HardLinksUnsupported(errno)) {
        return -1;
    }
    return RenameNoReplace(strTemp, strTo, false);
}

// Whether the source is still the file the copy was taken from: the same file under its name,
// with the size and modification time it had when the copy began.
bool SourceUnchanged(int fdFrom, const std::string& strFrom, const struct stat& stBefore) {
    struct stat stOpen;
    struct stat stNamed;
    return ::fstat(fdFrom, &stOpen) == 0 && ::lstat(strFrom.c_str(), &stNamed) == 0 &&
           stNamed.st_dev == stBefore.st_dev && stNamed.st_ino == stBefore.st_ino &&
           stOpen.st_size == stBefore.st_size && stOpen.st_mtim.tv_sec == stBefore.st_mtim.tv_sec &&
           stOpen.st_mtim.tv_nsec == stBefore.st_mtim.tv_nsec;
}

// Moves the regular file strFrom to strTo, which does not exist, on another file system: copied
// under a temporary name beside strTo, written whole, with the source's permissions and times,
// flushed, put in place so that strTo appears complete or not at all, and the source removed
// only when it is still as it was when the copy began. On failure nothing of the copy is left and
// the source stays. ERROR_SUCCESS or the error to report.
DWORD MoveByCopy(const std::string& strFrom, const std::string& strTo) {
    const int fdFrom = SysOpen(strFrom.c_str(), O_RDONLY);
    if (fdFrom < 0) {
        return MoveErrorFromErrno(errno);
    }
    struct stat st;
    std::string strTemp;
    int fdTemp = -1;
    bool bPlaced = false;
    const auto fail = [&](DWORD dwError) {
        if (fdTemp >= 0) {
            SysClose(fdTemp);
        }
        SysClose(fdFrom);
        if (bPlaced) {
            ::unlink(strTo.c_str());
        }
        if (!strTemp.empty()) {
            ::unlink(strTemp.c_str());
            NoteEntryRemoved(strTemp);
        }
        return dwError;
    };
    const auto failErrno = [&] { return fail(MoveErrorFromErrno(errno)); };
    // A source written to while it is copied: Windows refuses to move a file in use.
    const auto failChanged = [&] { return fail(ERROR_SHARING_VIOLATION); };
    if (::fstat(fdFrom, &st) != 0) {
        return failErrno();
    }
    const std::string strFolder = ParentOf(strTo);
    RemoveStaleMoveTemporaries(strFolder);
    fdTemp = CreateMoveTemporary(strFolder, strTemp);
    if (fdTemp < 0) {
        strTemp.clear();
        return failErrno();
    }
    NoteEntryAdded(strTemp);
    off_t llCopied = 0;
    if (CopyBytes(fdFrom, fdTemp, strFrom, llCopied) != 0) {
        return failErrno();
    }
    // A short read or a source that grew or shrank meanwhile.
    if (llCopied != st.st_size) {
        return failChanged();
    }
    // Owner, mode and times are kept where the target file system can hold them (FAT cannot hold
    // owners or modes); their loss does not stop the move.
    (void)::fchown(fdTemp, st.st_uid, st.st_gid);
    (void)::fchmod(fdTemp, st.st_mode & 07777);
    const timespec aTimes[2] = {st.st_atim, st.st_mtim};
    (void)::futimens(fdTemp, aTimes);
    if (SysFsync(fdTemp) != 0) {
        return failErrno();
    }
    const int fdDone = fdTemp;
    fdTemp = -1;
    if (SysClose(fdDone) != 0) {
        return failErrno();
    }
    if (PlaceCopy(strTemp, strTo) != 0) {
        return failErrno();
    }
    bPlaced = true;
    if (SyncFolder(strFolder) != 0) {
        return failErrno();
    }
    AtMoveStep(MoveStep::CopyPlaced, strFrom);
    // Checked as late as possible: a change after this check and before the unlink below goes
    // unseen, as no system call removes a name only if its file is unchanged.
    if (!SourceUnchanged(fdFrom, strFrom, st)) {
        return failChanged();
    }
    // A source that cannot be removed would leave the file in two places: undo the copy.
    if (SysUnlink(strFrom.c_str()) != 0) {
        return failErrno();
    }
    NoteEntryRemoved(strTemp);
    SysClose(fdFrom);
    return ERROR_SUCCESS;
}

// The last component of a Windows path, as it is given.
std::string_view LastName(std::string_view strAnsiPath) {
    const std::size_t uSeparator = LastSeparator(strAnsiPath);
    if (uSeparator != std::string_view::npos) {
        return strAnsiPath.substr(uSeparator + 1);
    }
    return strAnsiPath.size() >= 2 && strAnsiPath[1] == ':' ? strAnsiPath.substr(2) : strAnsiPath;
}

void SetMoveError(int iErrno) {
    SetLastError(iErrno == EEXIST || iErrno == ENOTEMPTY ? ERROR_ALREADY_EXISTS
                                                         : ErrorFromErrno(iErrno));
}

// Both ends of a move, resolved.
struct MoveEnds {
    std::string strFrom;
    std::string strTo;
    mode_t fromMode = 0; // as lstat gives it
};

enum class EMoveStep { Failed, Done, Rename };

// Resolves both paths for MoveFileA and decides what is left to do (GetLastError set on Failed).
EMoveStep ResolveMoveEnds(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, Reuse eReuse,
                          MoveEnds& ends) {
    // The thread's two paths keep their room from one move to the next, as FindFirstFileA's
    // does; a move begun while another is resolving on the thread takes its own.
    struct Scratch {
        WindowsPath from;
        WindowsPath to;
    };
    thread_local Scratch t_scratch;
    thread_local bool t_bScratchInUse = false;
    std::optional<Scratch> ownScratch;
    const bool bReuse = !t_bScratchInUse;
    Scratch& scratch = bReuse ? t_scratch : ownScratch.emplace();
    struct ScratchLease {
        bool bHeld;
        ~ScratchLease() {
            if (bHeld) {
                t_bScratchInUse = false;
            }
        }
    } lease{bReuse};
    t_bScratchInUse = true;
    WindowsPath& from = scratch.from;
    bool bFromExists = false;
    FoundEntry found;
    if (!ParseWindowsPath(lpExistingFileName, from) ||
        !ResolveOnDisk(from, true, bFromExists, static_cast<std::size_t>(-1), &found, eReuse,
                       &ends.strFrom)) {
        return EMoveStep::Failed;
    }
    if (bFromExists && found.stx.stx_mask != 0) {
        ends.fromMode = found.bLink ? S_IFLNK : found.stx.stx_mode;
    } else {
        struct stat stFrom;
        if (::lstat(ends.strFrom.c_str(), &stFrom) != 0) {
            SetLastErrorFromErrno(errno);
            return EMoveStep::Failed;
        }
        ends.fromMode = stFrom.st_mode;
    }
    WindowsPath& to = scratch.to;
    bool bToExists = false;
    if (!ParseWindowsPath(lpNewFileName, to) ||
        !ResolveOnDisk(to, true, bToExists, static_cast<std::size_t>(-1), nullptr,
                       eReuse == Reuse::None ? Reuse::None : Reuse::Known, &ends.strTo)) {
        return EMoveStep::Failed;
    }
    // The destination resolves to an existing name also when only its case differs, as on NTFS.
    if (bToExists) {
        if (ends.strTo != ends.strFrom) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return EMoveStep::Failed;
        }
        // The source itself under another case: Windows renames it in place.
        ends.strTo = ParentOf(ends.strFrom) + "/" + AnsiNameToDisk(LastName(lpNewFileName));
        if (ends.strTo == ends.strFrom) {
            return EMoveStep::Done;
        }
    }
    return EMoveStep::Rename;
}

} // namespace
} // namespace tessaly::win32::detail

using namespace tessaly::win32;
using namespace tessaly::win32::detail;

BOOL WINAPI MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
    if (lpExistingFileName == nullptr || lpNewFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The check just before a move has usually looked both paths up: the rename below is what
    // guarantees that nothing is replaced, so that lookup's answers are taken as they are.
    MoveEnds ends;
    EMoveStep eStep = ResolveMoveEnds(lpExistingFileName, lpNewFileName, Reuse::LastLookup, ends);
    if (eStep != EMoveStep::Rename) {
        return eStep == EMoveStep::Done ? TRUE : FALSE;
    }
    // A killed run's half copies go at this run's first visit of the folder, whether or not a
    // copy ever goes there again (a rename needs none).
    RemoveStaleMoveTemporaries(ParentOf(ends.strTo));
    // A case variant created by someone else between the check above and the rename is not seen:
    // the kernel guards only the exact name.
    int iResult = RenameNoReplace(ends.strFrom, ends.strTo, S_ISDIR(ends.fromMode));
    if (iResult != 0 && (errno == ENOENT || errno == ENOTDIR)) {
        // Someone else renamed or removed a name on the way since the layer last looked: forget
        // what it knew of both folders and look again, so that a renamed source is still found.
        const int iErrno = errno;
        ForgetFolder(ParentOf(ends.strFrom));
        ForgetFolder(ParentOf(ends.strTo));
        MoveEnds fresh;
        eStep = ResolveMoveEnds(lpExistingFileName, lpNewFileName, Reuse::None, fresh);
        if (eStep != EMoveStep::Rename) {
            return eStep == EMoveStep::Done ? TRUE : FALSE;
        }
        if (fresh.strFrom != ends.strFrom || fresh.strTo != ends.strTo) {
            ends = fresh;
            iResult = RenameNoReplace(ends.strFrom, ends.strTo, S_ISDIR(ends.fromMode));
        } else {
            errno = iErrno;
        }
    }
    if (iResult != 0) {
        if (errno != EXDEV) {
            if (errno == EEXIST || errno == ENOTEMPTY) {
                ForgetFolder(ParentOf(ends.strTo)); // someone else's name is there
            }
            SetMoveError(errno);
            return FALSE;
        }
        // Another file system: only a regular file can be carried over, by copy and delete. What
        // the source is now decides, not what a lookup found a moment ago.
        struct stat stFrom;
        if (::lstat(ends.strFrom.c_str(), &stFrom) != 0) {
            SetLastErrorFromErrno(errno);
            return FALSE;
        }
        if (!S_ISREG(stFrom.st_mode)) {
            SetLastError(ERROR_NOT_SAME_DEVICE);
            return FALSE;
        }
        const DWORD dwError = MoveByCopy(ends.strFrom, ends.strTo);
        if (dwError != ERROR_SUCCESS) {
            SetLastError(dwError);
            return FALSE;
        }
    }
    NoteEntryMoved(ends.strFrom, ends.strTo);
    return TRUE;
}

void tessaly::win32::RemoveStaleMoveTemporaries(LPCSTR lpFolder) {
    std::string strPosix;
    bool bExists = false;
    if (lpFolder != nullptr && ResolvePath(lpFolder, strPosix, &bExists) && bExists) {
        detail::RemoveStaleMoveTemporaries(strPosix);
    }
}
