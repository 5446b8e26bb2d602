// Inside the layer on Windows: the program's CP932 text and the UTF-16 of the W functions, through
// the same name codec as on Linux, so that a name outside CP932 is carried whole.
#pragma once

#include <string>
#include <string_view>

namespace tessaly::win32::detail {

// UTF-16 to WTF-8: a lone surrogate keeps its three-byte form, so that even a name Windows lets
// hold one comes back through the codec unchanged.
std::string WideToWtf8(std::u16string_view strWide);
// WTF-8 back to UTF-16; a byte that is no part of a sequence becomes U+FFFD.
std::u16string Wtf8ToWide(std::string_view strWtf8);

// A CP932 path for the W functions: long ones (from 248 units, the limit of CreateDirectoryW) made
// absolute and given the "\\?\" prefix, or "\\?\UNC\" for a share.
std::u16string AnsiToWidePath(std::string_view strAnsiPath);
// A CP932 text (no path rules).
std::u16string AnsiToWide(std::string_view strAnsi);
// One name as a listing carries it (TextKind::Name); false when it cannot be carried.
bool WideNameToAnsi(std::u16string_view strName, std::string& strOut);
// A whole path (its separators and drive colon kept); the "\\?\" prefix is dropped.
std::string WidePathToAnsi(std::u16string_view strPath);

} // namespace tessaly::win32::detail
