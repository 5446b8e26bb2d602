// The one place where the program's CP932 text meets the UTF-8 of the outside world (names on disk,
// the window's text, a terminal's arguments and output).
//
// The round trip is lossless: a character that CP932 cannot carry exactly (it does not come back
// unchanged from CP932: é, most emoji, U+301C, characters Windows forbids in names such as \ : * ?
// " < > |, user-defined-area characters themselves) and every byte of invalid UTF-8 is given a
// code of CP932's user-defined area, lead bytes 0xF0-0xF5 and trail bytes other than 0x5C and
// 0x7C, from a process-wide, thread-safe table, in the order met. A mapped character counts as
// two bytes in CP932, as every double-byte character does.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaly::win32 {

enum class TextKind {
    Name, // one path component: the characters Windows forbids in names are mapped too
    Text  // free text (paths, messages): only what CP932 cannot carry is mapped
};

// UTF-8 (or any bytes) to CP932. False when the table's codes are spent; strOut is then
// unspecified and the unmappable-name count grows by one. A text that needs more new codes than
// are left takes none of them. Pure ASCII and plain CP932 text takes no lock.
bool Utf8ToAnsi(std::string_view strUtf8, std::string& strOut, TextKind kind = TextKind::Text);

// CP932 to UTF-8: mapped codes give back their original character or bytes; other bytes are
// converted as Windows' MultiByteToWideChar does (invalid bytes become U+30FB).
std::string AnsiToUtf8(std::string_view strAnsi);

// A Windows path's component, converted to the bytes of the on-disk name (AnsiToUtf8: a name that
// DiskNameToAnsi gave comes back byte for byte).
std::string AnsiNameToDisk(std::string_view strAnsiName);
// An on-disk name (one component, no '/') to CP932, TextKind::Name; false when it cannot be mapped
// (counted).
bool DiskNameToAnsi(std::string_view strDiskName, std::string& strOut);

// Names that could not be mapped since the last reset (listings leave them out).
std::size_t UnmappableNameCount();
// Empties the table and the count (tests only: names converted before no longer round-trip).
void ResetNameCodec();

// How many distinct characters and bytes the table can hold: 6 lead bytes (0xF0-0xF5) times 186
// trail bytes (0x40-0x7E and 0x80-0xFC without 0x5C and 0x7C).
inline constexpr std::size_t kNameCodeCapacity = 6 * 186;

} // namespace tessaly::win32
