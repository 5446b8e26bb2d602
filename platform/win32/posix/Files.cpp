// File handles: CreateFileA and the calls on the handles it gives, on POSIX descriptors.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/posix/FileOpen.h"
#include "platform/win32/posix/FileTime.h"
#include "platform/win32/posix/Handles.h"
#include "platform/win32/posix/PathResolve.h"
#include "platform/win32/posix/PathState.h"
#include "platform/win32/posix/Sys.h"

namespace tessaly::win32::detail {
namespace {

constexpr DWORD kInvalidFileSize = 0xFFFFFFFF;

class FileHandle final : public HandleObject {
public:
    FileHandle(int fd, bool bFolder, DWORD dwAccess)
        : m_fd(fd), m_bFolder(bFolder), m_dwAccess(dwAccess) {}
    ~FileHandle() override {
        if (m_fd >= 0) {
            SysClose(m_fd);
        }
    }
    HandleKind Kind() const override { return HandleKind::File; }
    bool Close() override {
        const int fd = m_fd;
        m_fd = -1;
        if (SysClose(fd) != 0) {
            SetLastErrorFromErrno(errno);
            return false;
        }
        return true;
    }

    int Fd() const { return m_fd; }
    bool IsFolder() const { return m_bFolder; }
    bool CanRead() const { return (m_dwAccess & GENERIC_READ) != 0; }
    bool CanWrite() const { return (m_dwAccess & GENERIC_WRITE) != 0; }

private:
    int m_fd;
    bool m_bFolder;
    DWORD m_dwAccess;
};

// The file behind h for reading or writing its data; a folder handle only identifies its folder.
std::shared_ptr<FileHandle> DataHandle(HANDLE h) {
    auto pFile = LookupHandleAs<FileHandle>(h, HandleKind::File);
    if (pFile != nullptr && pFile->IsFolder()) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return nullptr;
    }
    return pFile;
}

// Disposition to how the file is opened; false for a disposition Windows does not know.
bool OpenModeFor(DWORD dwDisposition, int& iFlags, CreateMode& mode) {
    switch (dwDisposition) {
    case CREATE_NEW:
        mode = CreateMode::Exclusive;
        return true;
    case CREATE_ALWAYS:
        iFlags |= O_TRUNC;
        mode = CreateMode::IfMissing;
        return true;
    case OPEN_EXISTING:
        mode = CreateMode::Never;
        return true;
    case OPEN_ALWAYS:
        mode = CreateMode::IfMissing;
        return true;
    case TRUNCATE_EXISTING:
        iFlags |= O_TRUNC;
        mode = CreateMode::Never;
        return true;
    default:
        return false;
    }
}

HANDLE OpenFolder(const std::string& strPosix, DWORD dwDisposition, DWORD dwFlags) {
    if (dwDisposition == CREATE_NEW) {
        SetLastError(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
    }
    // Windows opens folders only for their identity (backup semantics), never to change them.
    if ((dwFlags & FILE_FLAG_BACKUP_SEMANTICS) == 0 ||
        (dwDisposition != OPEN_EXISTING && dwDisposition != OPEN_ALWAYS)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    const int fd = SysOpen(strPosix.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) {
        SetLastErrorFromErrno(errno);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(dwDisposition == OPEN_ALWAYS ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return RegisterHandle(std::make_shared<FileHandle>(fd, true, 0));
}

int AccessFlags(DWORD dwAccess) {
    const bool bRead = (dwAccess & GENERIC_READ) != 0;
    const bool bWrite = (dwAccess & GENERIC_WRITE) != 0;
    return bRead && bWrite ? O_RDWR : bWrite ? O_WRONLY : O_RDONLY;
}

} // namespace

// BY_HANDLE_FILE_INFORMATION from a statx of the file.
void InfoFromStatx(const struct statx& stx, BY_HANDLE_FILE_INFORMATION& info);
} // namespace tessaly::win32::detail

using namespace tessaly::win32;
using namespace tessaly::win32::detail;

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD /*dwShareMode*/,
                          LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                          HANDLE /*hTemplateFile*/) {
    int iFlags = AccessFlags(dwDesiredAccess);
    CreateMode mode = CreateMode::Never;
    if (lpFileName == nullptr || !OpenModeFor(dwCreationDisposition, iFlags, mode) ||
        (dwCreationDisposition == TRUNCATE_EXISTING && (dwDesiredAccess & GENERIC_WRITE) == 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string strPosix;
    bool bExists = false;
    FoundEntry found;
    if (!ResolvePath(lpFileName, strPosix, &bExists, &found)) {
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    // The lookup's statx, when it has one, follows links as stat does.
    const bool bFolder = found.stx.stx_mask != 0
                             ? S_ISDIR(found.stx.stx_mode)
                             : bExists && ::stat(strPosix.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    if (bFolder) {
        return OpenFolder(strPosix, dwCreationDisposition, dwFlagsAndAttributes);
    }
    if (dwFlagsAndAttributes & FILE_FLAG_WRITE_THROUGH) {
        iFlags |= O_DSYNC;
    }
    bool bCreated = false;
    const int fd = OpenOrCreate(strPosix, iFlags, mode, bCreated);
    if (fd < 0) {
        SetLastError(errno == EEXIST ? ERROR_FILE_EXISTS : ErrorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    // A folder put in the file's place since the check above.
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        SysClose(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    const bool bHint = !bCreated && (dwCreationDisposition == CREATE_ALWAYS ||
                                     dwCreationDisposition == OPEN_ALWAYS);
    SetLastError(bHint ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return RegisterHandle(std::make_shared<FileHandle>(fd, false, dwDesiredAccess));
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
    return ReleaseHandle(hObject, HandleKind::File);
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                            DWORD dwMoveMethod) {
    auto pFile = DataHandle(hFile);
    if (pFile == nullptr) {
        return INVALID_SET_FILE_POINTER;
    }
    // Without the high part the distance is a signed 32-bit value.
    const std::int64_t iDistance =
        lpDistanceToMoveHigh == nullptr
            ? static_cast<std::int64_t>(lDistanceToMove)
            : static_cast<std::int64_t>(
                  (static_cast<std::uint64_t>(static_cast<std::uint32_t>(*lpDistanceToMoveHigh))
                   << 32) |
                  static_cast<std::uint32_t>(lDistanceToMove));
    std::int64_t iBase = 0;
    if (dwMoveMethod == FILE_CURRENT) {
        iBase = ::lseek(pFile->Fd(), 0, SEEK_CUR);
    } else if (dwMoveMethod == FILE_END) {
        struct stat st;
        iBase = ::fstat(pFile->Fd(), &st) == 0 ? st.st_size : -1;
    } else if (dwMoveMethod != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (iBase < 0) {
        SetLastErrorFromErrno(errno);
        return INVALID_SET_FILE_POINTER;
    }
    const std::int64_t iTarget = iBase + iDistance;
    if (iTarget < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    // A position beyond 4 GiB cannot be told without the high part.
    if (lpDistanceToMoveHigh == nullptr && iTarget > 0xFFFFFFFFll) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (::lseek(pFile->Fd(), iTarget, SEEK_SET) < 0) {
        SetLastErrorFromErrno(errno);
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh != nullptr) {
        *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<std::uint64_t>(iTarget) >> 32);
    }
    // Callers tell a real position 0xFFFFFFFF from a failure by the cleared error.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(iTarget);
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, void* lpOverlapped) {
    if (lpNumberOfBytesWritten != nullptr) {
        *lpNumberOfBytesWritten = 0;
    }
    auto pFile = DataHandle(hFile);
    if (pFile == nullptr) {
        return FALSE;
    }
    if (!pFile->CanWrite()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToWrite != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const char* pcData = static_cast<const char*>(lpBuffer);
    DWORD dwDone = 0;
    while (dwDone < nNumberOfBytesToWrite) {
        const ssize_t iWritten =
            SysWrite(pFile->Fd(), pcData + dwDone, nNumberOfBytesToWrite - dwDone);
        if (iWritten < 0 && errno == EINTR) {
            continue;
        }
        if (iWritten <= 0) {
            // A write that takes nothing has run out of room.
            SetLastErrorFromErrno(iWritten == 0 ? ENOSPC : errno);
            if (lpNumberOfBytesWritten != nullptr) {
                *lpNumberOfBytesWritten = dwDone;
            }
            return FALSE;
        }
        dwDone += static_cast<DWORD>(iWritten);
    }
    if (lpNumberOfBytesWritten != nullptr) {
        *lpNumberOfBytesWritten = dwDone;
    }
    return TRUE;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, void* lpOverlapped) {
    if (lpNumberOfBytesRead != nullptr) {
        *lpNumberOfBytesRead = 0;
    }
    auto pFile = DataHandle(hFile);
    if (pFile == nullptr) {
        return FALSE;
    }
    if (!pFile->CanRead()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToRead != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    char* pcData = static_cast<char*>(lpBuffer);
    DWORD dwDone = 0;
    while (dwDone < nNumberOfBytesToRead) {
        const ssize_t iRead = ::read(pFile->Fd(), pcData + dwDone, nNumberOfBytesToRead - dwDone);
        if (iRead < 0 && errno == EINTR) {
            continue;
        }
        if (iRead < 0) {
            SetLastErrorFromErrno(errno);
            if (lpNumberOfBytesRead != nullptr) {
                *lpNumberOfBytesRead = dwDone;
            }
            return FALSE;
        }
        if (iRead == 0) {
            break; // end of file: success with fewer bytes
        }
        dwDone += static_cast<DWORD>(iRead);
    }
    if (lpNumberOfBytesRead != nullptr) {
        *lpNumberOfBytesRead = dwDone;
    }
    return TRUE;
}

BOOL WINAPI SetEndOfFile(HANDLE hFile) {
    auto pFile = DataHandle(hFile);
    if (pFile == nullptr) {
        return FALSE;
    }
    if (!pFile->CanWrite()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    const off_t iPosition = ::lseek(pFile->Fd(), 0, SEEK_CUR);
    if (iPosition < 0 || ::ftruncate(pFile->Fd(), iPosition) != 0) {
        SetLastErrorFromErrno(errno);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
    auto pFile = DataHandle(hFile);
    if (pFile == nullptr) {
        return FALSE;
    }
    if (!pFile->CanWrite()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (SysFsync(pFile->Fd()) != 0) {
        SetLastErrorFromErrno(errno);
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    auto pFile = LookupHandleAs<FileHandle>(hFile, HandleKind::File);
    struct stat st;
    if (pFile == nullptr) {
        return kInvalidFileSize;
    }
    if (::fstat(pFile->Fd(), &st) != 0) {
        SetLastErrorFromErrno(errno);
        return kInvalidFileSize;
    }
    const std::uint64_t uSize = pFile->IsFolder() ? 0 : static_cast<std::uint64_t>(st.st_size);
    if (lpFileSizeHigh != nullptr) {
        *lpFileSizeHigh = static_cast<DWORD>(uSize >> 32);
    }
    SetLastError(ERROR_SUCCESS); // tells a low part of 0xFFFFFFFF from a failure
    return static_cast<DWORD>(uSize);
}

BOOL WINAPI GetFileInformationByHandle(HANDLE hFile,
                                       LPBY_HANDLE_FILE_INFORMATION lpFileInformation) {
    auto pFile = LookupHandleAs<FileHandle>(hFile, HandleKind::File);
    if (pFile == nullptr) {
        return FALSE;
    }
    if (lpFileInformation == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    struct statx stx;
    if (::statx(pFile->Fd(), "", AT_EMPTY_PATH, kStatxMask, &stx) != 0) {
        SetLastErrorFromErrno(errno);
        return FALSE;
    }
    InfoFromStatx(stx, *lpFileInformation);
    return TRUE;
}

namespace {

BOOL InformationByName(LPCSTR lpFileName, BY_HANDLE_FILE_INFORMATION& info, bool bBeforeMove) {
    // "." (a walk asking which folder it is in) is the working directory: no path to look up.
    struct statx stxCurrent;
    if (lpFileName != nullptr && std::string_view(lpFileName) == "." &&
        StatCurrentDirectory(stxCurrent)) {
        InfoFromStatx(stxCurrent, info);
        return TRUE;
    }
    std::string strPosix;
    bool bExists = false;
    FoundEntry found;
    if (lpFileName == nullptr ||
        !(bBeforeMove ? ResolvePathBeforeMove(lpFileName, strPosix, &bExists, &found)
                      : ResolvePath(lpFileName, strPosix, &bExists, &found))) {
        if (lpFileName == nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
        }
        return FALSE;
    }
    constexpr unsigned kNeeded = STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_MTIME;
    struct statx stx = found.stx;
    // The lookup's own statx answers when it learnt all of it; a dangling link is no file.
    if ((stx.stx_mask & kNeeded) != kNeeded || found.bLink) {
        if (!bExists || ::statx(AT_FDCWD, strPosix.c_str(), 0, kStatxMask, &stx) != 0) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
    }
    InfoFromStatx(stx, info);
    return TRUE;
}

} // namespace

BOOL tessaly::win32::GetFileInformationByName(LPCSTR lpFileName, BY_HANDLE_FILE_INFORMATION& info) {
    return InformationByName(lpFileName, info, false);
}

BOOL tessaly::win32::GetFileInformationBeforeMove(LPCSTR lpFileName,
                                                  BY_HANDLE_FILE_INFORMATION& info) {
    return InformationByName(lpFileName, info, true);
}

namespace tessaly::win32::detail {
void InfoFromStatx(const struct statx& stx, BY_HANDLE_FILE_INFORMATION& info) {
    const bool bFolder = S_ISDIR(stx.stx_mode);
    // File systems without a birth time report none: the last change stands in.
    const statx_timestamp& created = (stx.stx_mask & STATX_BTIME) ? stx.stx_btime : stx.stx_mtime;
    const std::uint64_t uSize = bFolder ? 0 : stx.stx_size;
    const std::uint64_t uDevice = makedev(stx.stx_dev_major, stx.stx_dev_minor);
    info.dwFileAttributes = bFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    info.ftCreationTime = FileTimeFromUnix(created.tv_sec, created.tv_nsec);
    info.ftLastAccessTime = FileTimeFromUnix(stx.stx_atime.tv_sec, stx.stx_atime.tv_nsec);
    info.ftLastWriteTime = FileTimeFromUnix(stx.stx_mtime.tv_sec, stx.stx_mtime.tv_nsec);
    // Folded so that devices whose numbers need more than 32 bits stay apart.
    info.dwVolumeSerialNumber = static_cast<DWORD>(uDevice ^ (uDevice >> 32));
    info.nFileSizeHigh = static_cast<DWORD>(uSize >> 32);
    info.nFileSizeLow = static_cast<DWORD>(uSize);
    info.nNumberOfLinks = stx.stx_nlink;
    info.nFileIndexHigh = static_cast<DWORD>(stx.stx_ino >> 32);
    info.nFileIndexLow = static_cast<DWORD>(stx.stx_ino);
}
} // namespace tessaly::win32::detail
