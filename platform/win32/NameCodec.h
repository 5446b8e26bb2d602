// The one place where the program's CP932 text meets the UTF-8 of the outside world (names on disk,
// the window's text, a terminal's arguments and output).
//
// The round trip is lossless and the same in every run. A character is written as its own CP932
// bytes when they decode back to it and the program's byte tests read them as one character (lead
// bytes up to 0xF5: an IBM-extension character at 0xFA-0xFC is written as its NEC-selected twin at
// 0xED/0xEE, which decodes to the same character). Every other character (é, Hangul, most emoji,
// U+301C, characters of the user-defined area themselves, in names also \ : * ? " < > | and
// control characters) becomes two codes of CP932's user-defined area computed from its code
// point: lead bytes 0xF0-0xF5 and trail bytes other than 0x5C and 0x7C give 1,116 codes, and the
// pair (high, low) stands for high * 1,116 + low. Each byte of invalid UTF-8 is carried the same
// way as a value of its own above U+10FFFF. Such a character costs four bytes of CP932 text.
//
// Decoding takes a pair only when it is what the encoder writes; any other user-defined code reads
// as Windows reads it (U+E000-U+E757), so no CP932 text is misread as a pair.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly::win32 {

enum class TextKind {
    Name, // one path component: the characters Windows forbids in names are paired too
    Text  // free text (paths, messages): only what CP932 cannot carry is paired
};

// UTF-8 (or any bytes) to CP932. Text always converts; a Name fails (strOut empty) when it holds
// '/' or NUL, as no single on-disk name does.
bool Utf8ToAnsi(std::string_view strUtf8, std::string& strOut, TextKind kind = TextKind::Text);

// CP932 to UTF-8: pairs give back their original character or byte; other bytes are converted as
// Windows' MultiByteToWideChar does (invalid bytes become U+30FB).
std::string AnsiToUtf8(std::string_view strAnsi);

// A Windows path's component (as the path parser cut it) to the bytes of the on-disk name: a name
// that DiskNameToAnsi gave comes back byte for byte; other bytes read as in AnsiToUtf8.
std::string AnsiNameToDisk(std::string_view strAnsiName);
// An on-disk name (one component) to CP932, TextKind::Name.
bool DiskNameToAnsi(std::string_view strDiskName, std::string& strOut);

// The code points a CP932 text stands for: what AnsiToUtf8 gives, as UTF-32; a byte of invalid
// UTF-8 gives kRawByteBase + its value.
std::u32string AnsiToCodePoints(std::string_view strAnsi);
// The same for the program's UTF-16 (CP932 read by MultiByteToWideChar, where a pair is two
// characters of U+E000-U+E45F): pairs give their original, surrogate pairs their character.
std::u32string WideToCodePoints(std::u16string_view strWide);
inline constexpr char32_t kRawByteBase = 0x110000;

// A hash of a CP932 name (or path) as the layer compares names on disk, ignoring case and Unicode
// normalisation (NFC): two names that open the same entry hash alike. Unequal hashes mean
// different entries; equal ones may not.
std::uint64_t NameCaseHash(std::string_view strAnsiName);
// A character Windows refuses in a name: '\\', ':', '*', '?', '"', '<', '>', '|' and the controls
// 0x01-0x1F ('/' and NUL, which no name on disk can hold either, are not counted here).
constexpr bool IsRefusedInWindowsName(char32_t c) {
    switch (c) {
    case '\\':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
        return true;
    default:
        return c >= 0x01 && c <= 0x1F;
    }
}

// Whether the layer takes two CP932 names (or paths) for one entry, ignoring case and Unicode
// normalisation: "café" with U+00E9 and with e + U+0301 are one name, as "café" and "CAFÉ" are.
bool NamesEqualIgnoringCase(std::string_view strAnsiA, std::string_view strAnsiB);

// Listed names left out since the last reset because their CP932 form does not fit the listing's
// limits, that no listener heard of (SetListingOmissionListener); NoteUnmappableName counts one.
std::size_t UnmappableNameCount();
void NoteUnmappableName();
// Zeroes the count (tests).
void ResetNameCodec();

// Codes of the user-defined area that pairs use: 6 lead bytes (0xF0-0xF5) times 186 trail bytes
// (0x40-0x7E and 0x80-0xFC without 0x5C and 0x7C).
inline constexpr std::size_t kPairCodeCount = 6 * 186;

} // namespace tessaly::win32
