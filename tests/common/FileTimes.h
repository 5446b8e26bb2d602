// A file's or a folder's last-write time set by a test. std::filesystem cannot set a folder's on
// Windows, whose C runtime opens files only: there windows/FileTimes.cpp sets it through a handle.
#pragma once

#include <chrono>
#include <filesystem>

namespace tessaly::test {

// Seconds since 1970 UTC (negative before it). Throws std::filesystem::filesystem_error when the
// time cannot be set.
#ifdef _WIN32
void SetLastWriteTime(const std::filesystem::path& path, long long llUnixSeconds);
#else
inline void SetLastWriteTime(const std::filesystem::path& path, long long llUnixSeconds) {
    const auto sysTime = std::chrono::sys_seconds(std::chrono::seconds(llUnixSeconds));
    std::filesystem::last_write_time(path, std::chrono::file_clock::from_sys(sysTime));
}
#endif

} // namespace tessaly::test
