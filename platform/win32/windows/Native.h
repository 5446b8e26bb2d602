// Inside the layer on Windows: the real Win32 API under names of the layer's own. Only Native*.cpp
// include <windows.h>; every other file of the layer sees the program's own Win32 headers, whose
// types clash with it (WCHAR is char16_t there, wchar_t here). Strings are UTF-16 as char16_t;
// numbers are the fixed-size types both sides agree on. Each function is the Win32 call of the
// same name, with its last error left for GetLastError.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::win32::native {

using Handle = void*;
inline Handle InvalidHandle() {
    return reinterpret_cast<Handle>(static_cast<std::intptr_t>(-1));
}

// WIN32_FIND_DATAW's fields; times as 100 ns since 1601 UTC.
struct FindRecord {
    std::uint32_t dwAttributes = 0;
    std::uint64_t ullCreation = 0;
    std::uint64_t ullAccess = 0;
    std::uint64_t ullWrite = 0;
    std::uint64_t ullSize = 0;
    std::u16string strName;
};

// BY_HANDLE_FILE_INFORMATION's fields.
struct FileIdentity {
    std::uint32_t dwAttributes = 0;
    std::uint64_t ullCreation = 0;
    std::uint64_t ullAccess = 0;
    std::uint64_t ullWrite = 0;
    std::uint32_t dwVolumeSerial = 0;
    std::uint64_t ullSize = 0;
    std::uint32_t dwLinks = 0;
    std::uint64_t ullIndex = 0;
};

std::uint32_t GetLastError();
void SetLastError(std::uint32_t dwError);

// FindFirstFileExW (basic information, large fetch); InvalidHandle() on failure.
Handle FindFirst(const std::u16string& strPath, FindRecord& record);
bool FindNext(Handle hFind, FindRecord& record);
bool FindClose(Handle hFind);
// GetFileAttributesExW, as a record without a name.
bool GetAttributesEx(const std::u16string& strPath, FindRecord& record);
std::uint32_t GetAttributes(const std::u16string& strPath); // 0xFFFFFFFF on failure

Handle CreateFileW(const std::u16string& strPath, std::uint32_t dwAccess, std::uint32_t dwShare,
                   std::uint32_t dwDisposition, std::uint32_t dwFlags);
bool CloseHandle(Handle h);
std::uint32_t SetFilePointer(Handle h, std::int32_t lDistance, std::int32_t* plDistanceHigh,
                             std::uint32_t dwMethod);
bool WriteFile(Handle h, const void* pBuffer, std::uint32_t cb, std::uint32_t* pcbWritten);
bool ReadFile(Handle h, void* pBuffer, std::uint32_t cb, std::uint32_t* pcbRead);
bool SetEndOfFile(Handle h);
bool FlushFileBuffers(Handle h);
std::uint32_t GetFileSize(Handle h, std::uint32_t* pdwHigh);
bool GetFileInformationByHandle(Handle h, FileIdentity& identity);

// MoveFileExW with MOVEFILE_COPY_ALLOWED and never MOVEFILE_REPLACE_EXISTING.
bool MoveFileNoReplace(const std::u16string& strFrom, const std::u16string& strTo);
bool DeleteFileW(const std::u16string& strPath);
bool CreateDirectoryW(const std::u16string& strPath);
bool RemoveDirectoryW(const std::u16string& strPath);

// GetFullPathNameW; empty on failure.
std::u16string GetFullPathNameW(const std::u16string& strPath);
std::u16string GetCurrentDirectoryW();
bool SetCurrentDirectoryW(const std::u16string& strPath);
std::u16string GetModuleFileNameW(); // the executable's
std::u16string GetTempPathW();
// Nothing when the variable is not set.
std::optional<std::u16string> GetEnvironmentVariableW(const std::u16string& strName);
std::uint32_t GetLogicalDrives();
std::uint32_t GetDriveTypeW(const std::u16string& strRoot);

int MultiByteToWideChar(std::uint32_t uCodePage, std::uint32_t dwFlags, const char* pcIn, int cbIn,
                        char16_t* pwcOut, int cchOut);
int WideCharToMultiByte(std::uint32_t uCodePage, std::uint32_t dwFlags, const char16_t* pwcIn,
                        int cchIn, char* pcOut, int cbOut, const char* pcDefault,
                        int* pbUsedDefault);
bool IsDBCSLeadByteEx(std::uint32_t uCodePage, unsigned char b);
// LCMapStringEx with the invariant locale and LCMAP_UPPERCASE, unit for unit.
void UpcaseInvariant(char16_t* pwc, int cch);

bool FileTimeToLocalFileTime(std::uint64_t ullUtc, std::uint64_t& ullLocal);
// wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds.
bool FileTimeToSystemTime(std::uint64_t ullTime, std::uint16_t awFields[8]);

// The console: Ctrl-C and Ctrl-Break reach pfnOnCtrl (on a thread of the system's), which says
// whether it handled them; SetConsoleCtrlHandler(NULL, bIgnore) for the null routine.
bool InstallCtrlHandler(int (*pfnOnCtrl)(std::uint32_t dwCtrlType));
bool IgnoreCtrlC(bool bIgnore);
// STD_OUTPUT_HANDLE and friends (their DWORD values).
bool IsConsole(std::uint32_t nStdHandle);
bool WriteConsoleW(std::uint32_t nStdHandle, const std::u16string& strText);
// Standard output and error carry bytes as they are written (no CR added), as on Linux.
void SetStandardStreamsBinary();
// Lets a console draw "\r\033[K" as a line's erasure.
void EnableConsoleEscapes(std::uint32_t nStdHandle);

// _wfopen.
std::FILE* OpenStream(const std::u16string& strPath, const std::u16string& strMode);
// The process's command line, split as the C runtime splits it.
std::vector<std::u16string> CommandLineArguments();

} // namespace tessaly::win32::native
