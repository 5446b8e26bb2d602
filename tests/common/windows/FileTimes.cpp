// A folder's time needs a handle opened with backup semantics, which std::filesystem never asks
// for on Windows.
#include <windows.h>

#include <system_error>

#include "tests/common/FileTimes.h"

namespace tessaly::test {

void SetLastWriteTime(const std::filesystem::path& path, long long llUnixSeconds) {
    constexpr long long kUnixEpochIn1601Seconds = 11644473600LL;
    constexpr long long kTicksPerSecond = 10000000;
    const HANDLE hFile = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        throw std::filesystem::filesystem_error(
            "cannot open to set its time", path,
            std::error_code(static_cast<int>(GetLastError()), std::system_category()));
    }
    const auto ullTicks =
        static_cast<ULONGLONG>((llUnixSeconds + kUnixEpochIn1601Seconds) * kTicksPerSecond);
    const FILETIME ftWrite{static_cast<DWORD>(ullTicks), static_cast<DWORD>(ullTicks >> 32)};
    const BOOL bSet = SetFileTime(hFile, nullptr, nullptr, &ftWrite);
    const DWORD dwError = GetLastError();
    CloseHandle(hFile);
    if (!bSet) {
        throw std::filesystem::filesystem_error(
            "cannot set file time", path,
            std::error_code(static_cast<int>(dwError), std::system_category()));
    }
}

} // namespace tessaly::test
