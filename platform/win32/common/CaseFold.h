// Inside the layer: names compared as NTFS compares them, by their UTF-16 form upper-cased one unit
// at a time (no context, no expansion: "ß" stays "ß"). Lookups also take names that differ only in
// Unicode normalisation for one name, which no Windows file system does: a template copied from a
// Mac has decomposed names (カ + U+3099), a converter writes them composed (ガ).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly::win32::detail {

// The system's own upper case of one UTF-16 unit, which the table is built from once: glibc's
// towupper in C.UTF-8 on POSIX, the invariant locale's upper-casing on Windows.
class SystemUpcaser {
public:
    SystemUpcaser();
    ~SystemUpcaser();
    SystemUpcaser(const SystemUpcaser&) = delete;
    SystemUpcaser& operator=(const SystemUpcaser&) = delete;
    char16_t Upcase(char16_t c) const; // never called for surrogates
private:
    void* m_pState = nullptr;
};

// The upper case of one UTF-16 unit (surrogates and uncased units are returned unchanged).
char16_t UpcaseUnit(char16_t c);

// The on-disk bytes as UTF-16, upper-cased, appended to strOut. Bytes that are not valid UTF-8
// become one unit each, U+DC80-U+DCFF, so that distinct names keep distinct forms.
void AppendUpcasedName(std::string_view strDiskName, std::u16string& strOut);

// The composed form (NFC) of valid UTF-8, from the platform's normaliser (utf8proc on POSIX,
// NormalizeString on Windows). False when the normaliser refuses the text.
bool ComposeNfc(std::string_view strUtf8, std::string& strOut);

// Whether a character is its own composed form and composes with none of the characters for which
// this holds: a name of such characters alone skips the normaliser (ASCII, Latin-1, and the kana,
// ideographs and full-width forms of Japanese names; not the kana voicing marks).
bool ComposesAsItself(char32_t cp);

// The folded form lookups match names by: the characters composed (NFC), then upper-cased unit by
// unit. A name holding bytes that are not UTF-8 has no characters to compose and is only
// upper-cased.
void AppendFoldedName(std::string_view strDiskName, std::u16string& strOut);
// A hash of the folded form: names a lookup takes for one hash alike.
std::uint64_t FoldedNameHash(std::string_view strDiskName);
bool EqualFolded(std::string_view strDiskA, std::string_view strDiskB);

// The key that orders names as NTFS lists them: the upper-cased UTF-16 units big-endian, two zero
// bytes, then the on-disk bytes (ties). Keys compare with plain byte comparison.
void AppendListingKey(std::string_view strDiskName, std::string& strOut);

} // namespace tessaly::win32::detail
