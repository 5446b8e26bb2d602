// The file-system calls, with Windows' contracts, on POSIX. Paths are CP932 Windows paths
// ("X:\dir\name", "\" and "/" both separate, relative paths resolve against the process's current
// directory); drive letters map to POSIX folders through the drive table (Win32Drives.h). Looking
// up an existing name ignores case as NTFS does; a created name keeps the case it was given.
// Every failure sets GetLastError to the code Windows would.
#pragma once

#include "platform/win32/Win32Types.h"

#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
#define INVALID_FILE_ATTRIBUTES (static_cast<DWORD>(-1))

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

#define FILE_FLAG_WRITE_THROUGH 0x80000000u
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER (static_cast<DWORD>(-1))

#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAA* LPWIN32_FIND_DATAA;

struct BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh;
    DWORD nFileIndexLow;
};
typedef BY_HANDLE_FILE_INFORMATION* LPBY_HANDLE_FILE_INFORMATION;

// With a wildcard ('*' or '?') in the last component: the folder's matching entries in NTFS order
// (upper-cased UTF-16 of the on-disk name, ties by its bytes), "." and ".." first except at a
// drive root (the folder a drive maps to). Patterns match as Windows' do, case ignored: "*.*" is
// every name, "*." the names without a dot, '?' also matches nothing before a dot or at the end.
// Without one: the single named path, found ignoring case, with its name as it is on disk; a
// drive's root or a path ending in a separator gives that folder (the root with an empty name;
// Windows would fail there, which would make a root fail the program's folder checks).
// Times are FILETIME (100 ns since 1601 UTC); attributes 0x10 for folders (a link to a folder
// counts as one; a dangling link is a file described by itself, with 0x400 as Windows marks a
// link), 0x20 otherwise, plus 0x01 for a file its owner cannot write; sizes of folders are 0;
// cAlternateFileName is empty. Names the name codec cannot map, or whose CP932 form does not fit
// cFileName, are left out. ERROR_FILE_NOT_FOUND when the folder exists but nothing matches,
// ERROR_PATH_NOT_FOUND when the folder does not, ERROR_INVALID_NAME for a wildcard before the last
// component.
HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData);
// FALSE with ERROR_NO_MORE_FILES after the last entry, ERROR_INVALID_HANDLE for a handle that is
// not an open search. An entry removed since the search began is skipped.
BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData);
// FALSE with ERROR_INVALID_HANDLE for a handle that is not an open search (also a closed one).
BOOL WINAPI FindClose(HANDLE hFindFile);

// Files, and folders with FILE_FLAG_BACKUP_SEMANTICS (for GetFileInformationByHandle only; a
// folder without it: ERROR_ACCESS_DENIED). Sharing modes are accepted and not enforced.
// CREATE_NEW fails on an existing file with ERROR_FILE_EXISTS; CREATE_ALWAYS and OPEN_ALWAYS
// succeed on one with ERROR_ALREADY_EXISTS (else ERROR_SUCCESS); OPEN_EXISTING and
// TRUNCATE_EXISTING (which needs GENERIC_WRITE) fail on a missing one with ERROR_FILE_NOT_FOUND.
// A missing folder on the way: ERROR_PATH_NOT_FOUND.
HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
// ERROR_INVALID_HANDLE for a handle that is not an open file (a search handle goes to FindClose).
BOOL WINAPI CloseHandle(HANDLE hObject);
// Returns the new position's low part and stores its high part. Without lpDistanceToMoveHigh the
// distance is a signed 32-bit value and a position beyond 4 GiB fails (ERROR_INVALID_PARAMETER).
// INVALID_SET_FILE_POINTER on failure (a position before the start: ERROR_NEGATIVE_SEEK, 131);
// success clears the error, which tells a real low part 0xFFFFFFFF from a failure.
DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                            DWORD dwMoveMethod);
// Writes all the bytes or fails (a full disk: ERROR_DISK_FULL); *lpNumberOfBytesWritten says how
// many reached the file. Without GENERIC_WRITE: ERROR_ACCESS_DENIED. lpOverlapped must be null.
BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, void* lpOverlapped);
// At the end of the file: TRUE with fewer bytes (0 at the end). Without GENERIC_READ:
// ERROR_ACCESS_DENIED. Folder handles carry no data (ERROR_INVALID_FUNCTION), here as for writes.
BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, void* lpOverlapped);
// The file ends at the current position: a longer old content is cut, a shorter one extended.
BOOL WINAPI SetEndOfFile(HANDLE hFile);
// The file's data on the disk (fsync); needs GENERIC_WRITE.
BOOL WINAPI FlushFileBuffers(HANDLE hFile);
// The low part (0 for a folder), the high part in *lpFileSizeHigh; 0xFFFFFFFF with the error set
// on failure, success clears the error.
DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh);
// dwVolumeSerialNumber and nFileIndexHigh/Low identify the file (device and inode here); times are
// FILETIME (100 ns since 1601 UTC), the creation time the birth time where the file system has it.
BOOL WINAPI GetFileInformationByHandle(HANDLE hFile,
                                       LPBY_HANDLE_FILE_INFORMATION lpFileInformation);
namespace tessaly::win32 {
// What GetFileInformationByHandle gives for the file or folder at the path (a link described by
// its target), without opening it where the system allows, as Windows 11's
// GetFileInformationByName does: a file the user may not read is described too. FALSE with the
// lookup's error when nothing is there.
BOOL GetFileInformationByName(LPCSTR lpFileName, BY_HANDLE_FILE_INFORMATION& info);
// The same for a file about to be moved: a MoveFileA of it soon after may take this lookup's answer
// for its source instead of looking again (its rename fails if the file went away meanwhile).
BOOL GetFileInformationBeforeMove(LPCSTR lpFileName, BY_HANDLE_FILE_INFORMATION& info);
} // namespace tessaly::win32

// Never replaces an existing destination, also when another thread or process creates it
// meanwhile (ERROR_ALREADY_EXISTS); as on NTFS a name that differs only in case is taken, except
// the source's own name, which is renamed to the new case in place. Folders move within one file
// system (else ERROR_NOT_SAME_DEVICE); a file moves across file systems by copy, flush and delete,
// keeping its times and mode: the copy appears under its name only when complete, and a copy
// that fails is removed and the source stays. The source is removed only when all of its bytes
// were copied and it is still the same file with the same size and modification time; a source
// changed meanwhile stays, without a copy (ERROR_SHARING_VIOLATION). A missing source:
// ERROR_FILE_NOT_FOUND; a missing destination folder: ERROR_PATH_NOT_FOUND; a full disk:
// ERROR_DISK_FULL.
// Where the file system has neither RENAME_NOREPLACE nor hard links, the destination name is
// first claimed by an exclusive create (O_EXCL; mkdir for a folder) and rename(2) then replaces
// only that placeholder, once it is found to be still ours and empty. What remains is the moment
// between that check and rename(2): a file there is replaced only if someone removes the
// placeholder and creates their own, or opens it without O_EXCL and writes to it, in that moment.
// A folder can lose nothing there, as rename(2) never replaces a folder that is not empty.
BOOL WINAPI MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName);
namespace tessaly::win32 {
// Removes from the folder the temporaries that a killed process's MoveFileA left while it copied
// a file across file systems, as MoveFileA does in a folder it moves into; a caller that visits a
// folder without moving into it calls this. Each folder is swept once in a process; failures are
// ignored. Windows' own move copies under the destination's name and leaves no such file.
void RemoveStaleMoveTemporaries(LPCSTR lpFolder);
// Reads the folder's names for the lookups in it that ignore case (a name asked for in another
// case, or missing), so that a thread of the caller's can take that read, long in a big folder,
// off the thread that looks up. Failures are left to the lookups. Windows' file systems ignore
// case themselves: there is nothing to read ahead there.
void ReadFolderNamesAhead(LPCSTR lpFolder);
} // namespace tessaly::win32
// A file (a folder: ERROR_ACCESS_DENIED; a missing one: ERROR_FILE_NOT_FOUND).
BOOL WINAPI DeleteFileA(LPCSTR lpFileName);
// The new folder keeps the case given. ERROR_ALREADY_EXISTS when the name is taken (also by a
// case variant or a file), ERROR_PATH_NOT_FOUND when its parent is missing.
BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);
// An empty folder (ERROR_DIR_NOT_EMPTY otherwise; a file: ERROR_DIRECTORY).
BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName);
// FILE_ATTRIBUTE_DIRECTORY (also for a link to a folder) or FILE_ATTRIBUTE_ARCHIVE;
// INVALID_FILE_ATTRIBUTES with ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND when missing.
DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName);

// dbghelp's helper: creates every missing folder of DirPath up to its last "\" or "/" (the part
// after it is taken for a file name and not created); folders that exist under another case are
// used as they are. TRUE when they all exist afterwards; FALSE with the error of the step that
// failed (ERROR_ALREADY_EXISTS when a file holds a folder's name).
BOOL WINAPI MakeSureDirectoryPathExists(LPCSTR DirPath);

// The current directory as a Windows path ("C:\dir", "C:\" at a root), with the names as they
// are on disk. A buffer too short (or null) gets nothing and the result is the size needed
// including the terminator; otherwise the length without it.
DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer);
// Only an existing folder (found ignoring case) becomes current; it also sets the current drive
// and is remembered as that drive's directory ("X:" and "X:name" start from it). The process's
// working directory follows. ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND for a missing folder,
// ERROR_DIRECTORY for a file, else the code of the failed chdir.
BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName);

// The executable's path as a Windows path (through the drive with the longest matching root);
// every module handle names the executable. A short buffer gets the path cut (never inside a
// double-byte character) and terminated, ERROR_INSUFFICIENT_BUFFER and nSize, as since Windows
// XP. 0 with ERROR_PATH_NOT_FOUND when no drive holds the executable.
DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

// The variable's value as the program's CP932 text (a character outside CP932 carried by the name
// codec, so that a user folder's name arrives whole); the length without the terminator. A short
// buffer gets nothing and the result is the size needed with it; 0 with ERROR_ENVVAR_NOT_FOUND
// when the variable is not set.
DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize);

// "A:\<nul>C:\<nul>...<nul><nul>" for every mapped drive in letter order, whatever its state;
// the length without the last terminator. A short buffer gets nothing and the result is the
// size needed with it.
DWORD WINAPI GetLogicalDriveStringsA(DWORD nBufferLength, LPSTR lpBuffer);
// DRIVE_FIXED for a mapped drive whose folder exists, DRIVE_NO_ROOT_DIR otherwise. Takes "C:\",
// "C:/" or "C:" (any case), null for the current drive; any other path is DRIVE_NO_ROOT_DIR.
UINT WINAPI GetDriveTypeA(LPCSTR lpRootPathName);

// The C runtime's drive functions: 1 = A ... 26 = Z. _chdrive makes the drive's remembered
// directory current (its root the first time, or when that folder is gone); 0 on success, -1
// with errno EACCES and ERROR_INVALID_DRIVE for a drive that is not mapped. On Windows they are
// the C runtime's own.
#ifdef _WIN32
#include <direct.h>
#else
extern "C" int _getdrive();
extern "C" int _chdrive(int drive);
#endif
