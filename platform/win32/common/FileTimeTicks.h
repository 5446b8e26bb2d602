// Inside the layer: FILETIME as the one 64-bit count of 100 ns since 1601 UTC that it stands for.
#pragma once

#include <cstdint>

#include "platform/win32/Win32Types.h"

namespace tessaly::win32::detail {

inline FILETIME FileTimeFromTicks(std::uint64_t ullTicks) {
    return {static_cast<DWORD>(ullTicks), static_cast<DWORD>(ullTicks >> 32)};
}

inline std::uint64_t TicksOf(const FILETIME& ft) {
    return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

} // namespace tessaly::win32::detail
