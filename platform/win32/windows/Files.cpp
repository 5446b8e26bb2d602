// Files and folders over the W functions: paths go through the name codec, and the file system
// answers for case, identity, times and every error code. Names that differ only in Unicode
// normalisation the layer takes for one name itself (NormalForms.h).
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/common/AnsiPath.h"
#include "platform/win32/common/FileTimeTicks.h"
#include "platform/win32/windows/Native.h"
#include "platform/win32/windows/NormalForms.h"
#include "platform/win32/windows/WidePath.h"

namespace {

using namespace tessaly::win32;

bool IsSeparatorByte(char c) {
    return c == '\\' || c == '/';
}

bool MayCreate(DWORD dwCreationDisposition) {
    return dwCreationDisposition == CREATE_NEW || dwCreationDisposition == CREATE_ALWAYS ||
           dwCreationDisposition == OPEN_ALWAYS;
}

} // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                          HANDLE /*hTemplateFile*/) {
    if (lpFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::u16string strPath = detail::AnsiToWidePath(lpFileName);
    // A name that exists in another form is that name, not room for a new file.
    if (MayCreate(dwCreationDisposition)) {
        detail::TakeDiskForms(strPath);
    }
    HANDLE hFile = native::CreateFileW(strPath, dwDesiredAccess, dwShareMode, dwCreationDisposition,
                                       dwFlagsAndAttributes);
    if (hFile == INVALID_HANDLE_VALUE && detail::RetryInDiskForms(strPath)) {
        hFile = native::CreateFileW(strPath, dwDesiredAccess, dwShareMode, dwCreationDisposition,
                                    dwFlagsAndAttributes);
    }
    return hFile;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
    return native::CloseHandle(hObject) ? TRUE : FALSE;
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                            DWORD dwMoveMethod) {
    return native::SetFilePointer(hFile, lDistanceToMove, lpDistanceToMoveHigh, dwMoveMethod);
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, void* lpOverlapped) {
    if (lpOverlapped != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return native::WriteFile(hFile, lpBuffer, nNumberOfBytesToWrite, lpNumberOfBytesWritten)
               ? TRUE
               : FALSE;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, void* lpOverlapped) {
    if (lpOverlapped != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return native::ReadFile(hFile, lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead) ? TRUE
                                                                                        : FALSE;
}

BOOL WINAPI SetEndOfFile(HANDLE hFile) {
    return native::SetEndOfFile(hFile) ? TRUE : FALSE;
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
    return native::FlushFileBuffers(hFile) ? TRUE : FALSE;
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    return native::GetFileSize(hFile, lpFileSizeHigh);
}

BOOL WINAPI GetFileInformationByHandle(HANDLE hFile,
                                       LPBY_HANDLE_FILE_INFORMATION lpFileInformation) {
    native::FileIdentity identity;
    if (lpFileInformation == nullptr || !native::GetFileInformationByHandle(hFile, identity)) {
        if (lpFileInformation == nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
        }
        return FALSE;
    }
    lpFileInformation->dwFileAttributes = identity.dwAttributes;
    lpFileInformation->ftCreationTime = detail::FileTimeFromTicks(identity.ullCreation);
    lpFileInformation->ftLastAccessTime = detail::FileTimeFromTicks(identity.ullAccess);
    lpFileInformation->ftLastWriteTime = detail::FileTimeFromTicks(identity.ullWrite);
    lpFileInformation->dwVolumeSerialNumber = identity.dwVolumeSerial;
    lpFileInformation->nFileSizeHigh = static_cast<DWORD>(identity.ullSize >> 32);
    lpFileInformation->nFileSizeLow = static_cast<DWORD>(identity.ullSize);
    lpFileInformation->nNumberOfLinks = identity.dwLinks;
    lpFileInformation->nFileIndexHigh = static_cast<DWORD>(identity.ullIndex >> 32);
    lpFileInformation->nFileIndexLow = static_cast<DWORD>(identity.ullIndex);
    return TRUE;
}

// GetFileInformationByName itself is new in Windows 11 24H2; a handle that asks for no access
// describes any file as well, also one the user may not read.
BOOL tessaly::win32::GetFileInformationByName(LPCSTR lpFileName, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE hFile =
        CreateFileA(lpFileName, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    const BOOL bOk = GetFileInformationByHandle(hFile, &info);
    CloseHandle(hFile);
    return bOk;
}

// MoveFileExW opens its source itself: there is nothing to keep for it.
BOOL tessaly::win32::GetFileInformationBeforeMove(LPCSTR lpFileName,
                                                  BY_HANDLE_FILE_INFORMATION& info) {
    return GetFileInformationByName(lpFileName, info);
}

// MoveFileExW never replaces without MOVEFILE_REPLACE_EXISTING, and across volumes it copies and
// then deletes the source itself: there is no moment between the two where the layer could check
// the source again.
BOOL WINAPI MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
    if (lpExistingFileName == nullptr || lpNewFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::u16string strFrom = detail::AnsiToWidePath(lpExistingFileName);
    std::u16string strTo = detail::AnsiToWidePath(lpNewFileName);
    // A destination that exists in another form is taken, as one in another case is.
    detail::TakeDiskForms(strTo);
    if (native::MoveFileNoReplace(strFrom, strTo)) {
        return TRUE;
    }
    return detail::RetryInDiskForms(strFrom) && native::MoveFileNoReplace(strFrom, strTo) ? TRUE
                                                                                          : FALSE;
}

// MoveFileExW copies across volumes under the destination's own name: no temporary of the layer's
// is ever left to sweep.
void tessaly::win32::RemoveStaleMoveTemporaries(LPCSTR /*lpFolder*/) {}

void tessaly::win32::ReadFolderNamesAhead(LPCSTR /*lpFolder*/) {}

namespace {

// A call on an existing path, made again with the disk's forms of its names when it was missing.
template <class Call> auto OnExisting(LPCSTR pcPath, Call&& call) {
    std::u16string strPath = detail::AnsiToWidePath(pcPath);
    auto result = call(strPath);
    if (!result && detail::RetryInDiskForms(strPath)) {
        result = call(strPath);
    }
    return result;
}

} // namespace

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
    if (lpFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return OnExisting(lpFileName, native::DeleteFileW) ? TRUE : FALSE;
}

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/) {
    if (lpPathName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::u16string strPath = detail::AnsiToWidePath(lpPathName);
    detail::TakeDiskForms(strPath); // one in another form is there already
    return native::CreateDirectoryW(strPath) ? TRUE : FALSE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
    if (lpPathName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return OnExisting(lpPathName, native::RemoveDirectoryW) ? TRUE : FALSE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
    if (lpFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::u16string strPath = detail::AnsiToWidePath(lpFileName);
    DWORD dwAttributes = native::GetAttributes(strPath);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES && detail::RetryInDiskForms(strPath)) {
        dwAttributes = native::GetAttributes(strPath);
    }
    return dwAttributes;
}

// dbghelp's own is an A function of the system's code page: it would lose a name outside it.
BOOL WINAPI MakeSureDirectoryPathExists(LPCSTR DirPath) {
    if (DirPath == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string_view strPath(DirPath);
    const std::size_t uLast = detail::LastSeparator(strPath);
    if (uLast == std::string_view::npos) {
        return TRUE;
    }
    // Every folder on the way, from the first below the root ("X:\", "\\server\share\").
    std::size_t uStart = 0;
    if (strPath.size() >= 2 && IsSeparatorByte(strPath[0]) && IsSeparatorByte(strPath[1])) {
        std::size_t uSeparators = 0;
        for (uStart = 2; uStart < strPath.size() && uSeparators < 2; ++uStart) {
            uSeparators += IsSeparatorByte(strPath[uStart]) ? 1 : 0;
        }
    }
    // The cuts are real separators only: the byte before one may be the trail byte 0x5C of a
    // character such as 表 or ソ, which ends a folder's name.
    const std::vector<std::size_t> aCuts = detail::SeparatorPositions(strPath.substr(0, uLast + 1));
    for (std::size_t i = 0; i < aCuts.size(); ++i) {
        const std::size_t uCut = aCuts[i];
        const bool bAfterSeparator = i > 0 && aCuts[i - 1] + 1 == uCut;
        if (uCut < uStart || uCut == 0 || bAfterSeparator || strPath[uCut - 1] == ':') {
            continue;
        }
        std::u16string strFolder = detail::AnsiToWidePath(strPath.substr(0, uCut));
        DWORD dwAttributes = native::GetAttributes(strFolder);
        // A folder that exists in another form is that folder; one to be made goes in the forms
        // its parents have on disk.
        if (dwAttributes == INVALID_FILE_ATTRIBUTES && detail::TakeDiskForms(strFolder)) {
            dwAttributes = native::GetAttributes(strFolder);
        }
        if (dwAttributes != INVALID_FILE_ATTRIBUTES) {
            if ((dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                SetLastError(ERROR_ALREADY_EXISTS);
                return FALSE;
            }
            continue;
        }
        if (!native::CreateDirectoryW(strFolder)) {
            const DWORD dwError = native::GetLastError();
            // Someone else made it meanwhile: what counts is that it is a folder now.
            const DWORD dwNow = native::GetAttributes(strFolder);
            if (dwError != ERROR_ALREADY_EXISTS || dwNow == INVALID_FILE_ATTRIBUTES ||
                (dwNow & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                SetLastError(dwError);
                return FALSE;
            }
        }
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
