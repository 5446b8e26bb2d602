// MoveFileA: a rename that never replaces, falling back to link and unlink where the file system
// lacks RENAME_NOREPLACE, and to copy, flush and delete across file systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/posix/AnsiPath.h"
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
            if (::unlink(strFrom.c_str()) == 0) {
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
    // Neither a no-replace rename nor hard links (always so for folders there): check, then
    // rename. A name someone creates between the two would be replaced; such a file system
    // offers nothing closer.
    struct stat st;
    if (::lstat(strTo.c_str(), &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    if (errno != ENOENT) {
        return -1;
    }
    return SysRename(strFrom.c_str(), strTo.c_str());
}

// A fresh, exclusively created name beside strTo for the copy to grow under.
int CreateTemporary(const std::string& strTo, std::string& strTemp) {
    static std::atomic<unsigned> s_uCounter{0};
    const std::string strFolder = ParentOf(strTo);
    for (;;) {
        strTemp = strFolder + "/.tessaly-move-" + std::to_string(::getpid()) + "-" +
                  std::to_string(s_uCounter.fetch_add(1)) + ".tmp";
        const int fd = SysOpen(strTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
}

// All of the source's bytes into fdTo. 0, or -1 with errno (ENOSPC for a write that took none).
int CopyBytes(int fdFrom, int fdTo) {
    std::vector<char> buffer(kCopyChunk);
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

// Copies the regular file strFrom to strTo, which does not exist: under a temporary name beside
// it, written whole, with the source's permissions and times, flushed, then put in place, so that
// strTo appears complete or not at all. On failure nothing of the copy is left. 0 or -1 (errno).
int CopyIntoPlace(const std::string& strFrom, const std::string& strTo) {
    const int fdFrom = SysOpen(strFrom.c_str(), O_RDONLY);
    if (fdFrom < 0) {
        return -1;
    }
    struct stat st;
    std::string strTemp;
    int fdTemp = -1;
    bool bPlaced = false;
    const auto fail = [&] {
        ErrnoKeeper keep;
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
        return -1;
    };
    if (::fstat(fdFrom, &st) != 0) {
        return fail();
    }
    fdTemp = CreateTemporary(strTo, strTemp);
    if (fdTemp < 0) {
        strTemp.clear();
        return fail();
    }
    NoteEntryAdded(strTemp);
    if (CopyBytes(fdFrom, fdTemp) != 0) {
        return fail();
    }
    // Owner, mode and times are kept where the target file system can hold them (FAT cannot hold
    // owners or modes); their loss does not stop the move.
    (void)::fchown(fdTemp, st.st_uid, st.st_gid);
    (void)::fchmod(fdTemp, st.st_mode & 07777);
    const timespec aTimes[2] = {st.st_atim, st.st_mtim};
    (void)::futimens(fdTemp, aTimes);
    if (SysFsync(fdTemp) != 0) {
        return fail();
    }
    const int fdDone = fdTemp;
    fdTemp = -1;
    if (SysClose(fdDone) != 0) {
        return fail();
    }
    if (PlaceCopy(strTemp, strTo) != 0) {
        return fail();
    }
    bPlaced = true;
    if (SyncFolder(ParentOf(strTo)) != 0) {
        return fail();
    }
    NoteEntryRemoved(strTemp);
    SysClose(fdFrom);
    return 0;
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
    WindowsPath from;
    bool bFromExists = false;
    FoundEntry found;
    if (!ParseWindowsPath(lpExistingFileName, from) ||
        !ResolveOnDisk(from, true, bFromExists, static_cast<std::size_t>(-1), &found, eReuse)) {
        return EMoveStep::Failed;
    }
    ends.strFrom = from.PosixPath();
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
    WindowsPath to;
    bool bToExists = false;
    if (!ParseWindowsPath(lpNewFileName, to) ||
        !ResolveOnDisk(to, true, bToExists, static_cast<std::size_t>(-1), nullptr,
                       eReuse == Reuse::None ? Reuse::None : Reuse::Known)) {
        return EMoveStep::Failed;
    }
    ends.strTo = to.PosixPath();
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
        if (CopyIntoPlace(ends.strFrom, ends.strTo) != 0) {
            SetMoveError(errno);
            return FALSE;
        }
        // A source that cannot be removed would leave the file in two places: undo the copy.
        if (::unlink(ends.strFrom.c_str()) != 0) {
            const int iErrno = errno;
            ::unlink(ends.strTo.c_str());
            SetMoveError(iErrno);
            return FALSE;
        }
    }
    NoteEntryRemoved(ends.strFrom, false);
    NoteEntryAdded(ends.strTo, false);
    return TRUE;
}
