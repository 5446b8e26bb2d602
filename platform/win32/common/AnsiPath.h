// Inside the layer: cutting CP932 Windows paths at their separators without mistaking the trail
// byte of a double-byte character (0x5C in "ソ" or "表") for a backslash.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace tessaly::win32::detail {

// The positions of every '\' and '/' that is a character of its own, in order.
std::vector<std::size_t> SeparatorPositions(std::string_view strAnsiPath);

// The position of the last '\' or '/' that is a character of its own; npos when there is none.
std::size_t LastSeparator(std::string_view strAnsiPath);

// The path without its trailing separators, but never cut below a root ("X:\", "\", "/").
std::string_view WithoutTrailingSeparators(std::string_view strAnsiPath);

} // namespace tessaly::win32::detail
