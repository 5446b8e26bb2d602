// Inside the layer: POSIX times as Windows' FILETIME (100 ns since 1601-01-01 UTC).
#pragma once

#include <cstdint>

#include "platform/win32/Win32Types.h"

namespace tessaly::win32::detail {

inline FILETIME FileTimeFromUnix(std::int64_t iSeconds, std::uint32_t uNanoseconds) {
    constexpr std::int64_t kUnixEpochIn1601Seconds = 11644473600;
    const std::int64_t iSince1601 = iSeconds + kUnixEpochIn1601Seconds;
    const std::uint64_t uTicks =
        iSince1601 < 0 ? 0
                       : static_cast<std::uint64_t>(iSince1601) * 10000000u + uNanoseconds / 100u;
    return {static_cast<DWORD>(uTicks), static_cast<DWORD>(uTicks >> 32)};
}

} // namespace tessaly::win32::detail
