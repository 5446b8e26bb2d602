// Inside the layer: Windows' code page 932 as lookup tables, built once on first use.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace tessaly::win32::detail {

// No character: CP932 never decodes to U+FFFF.
inline constexpr char16_t kNoChar = 0xFFFF;
// No code: 0xFFFF is no CP932 character (0xFF is no lead byte).
inline constexpr std::uint16_t kNoCode = 0xFFFF;
// What Windows gives for an invalid or unassigned CP932 sequence.
inline constexpr char16_t kCp932Replacement = 0x30FB;
inline constexpr int kCp932LeadCount = 60; // 0x81-0x9F and 0xE0-0xFC

struct Cp932Tables {
    char16_t aSingle[256];                  // single byte -> UTF-16; kNoChar for lead bytes
    std::int8_t aLeadRow[256];              // lead byte -> row of aDouble; -1 for single bytes
    char16_t aDouble[kCp932LeadCount][256]; // [row][trail] -> UTF-16; kNoChar when unassigned
    std::uint16_t aFromUnicode[65536];      // UTF-16 unit -> code (< 0x100: one byte); kNoCode
    // UTF-16 unit -> the code the name codec writes for it: aFromUnicode, but an IBM extension's
    // NEC-selected twin; kNoCode (the codec writes a pair) for the user-defined area and where the
    // program's byte tests could not read the code as one character.
    std::uint16_t aCarried[65536];
};

// The system's own CP932 decoder, which the tables are built from: glibc's iconv on POSIX, code
// page 932 of MultiByteToWideChar on Windows. Aborts when the system has no CP932: nothing could
// be converted correctly.
class Cp932SystemDecoder {
public:
    Cp932SystemDecoder();
    ~Cp932SystemDecoder();
    Cp932SystemDecoder(const Cp932SystemDecoder&) = delete;
    Cp932SystemDecoder& operator=(const Cp932SystemDecoder&) = delete;
    // One sequence of one or two bytes; kNoChar unless it gives exactly one BMP character.
    char16_t Decode(const unsigned char* pbIn, std::size_t cbIn) const;

private:
    void* m_pState = nullptr;
};

// Builds the tables from the system's decoder once (thread-safe), patched where it differs from
// Windows, and publishes them.
const Cp932Tables& BuildCp932();
extern std::atomic<const Cp932Tables*> g_pCp932;

// The tables; only the first use pays for building them.
inline const Cp932Tables& Cp932() {
    const Cp932Tables* pTables = g_pCp932.load(std::memory_order_acquire);
    return pTables != nullptr ? *pTables : BuildCp932();
}

inline bool IsCp932Lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
inline bool IsCp932Trail(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// The program's own lead bytes, 0x81-0x9F and 0xE0-0xF5. The name codec never writes a lead byte
// above 0xF5.
constexpr bool IsProgramLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xF5);
}

// Where the character at p (n >= 1 bytes left) ends, as the program's byte tests read it, and with
// them the path parser, the name check and the separator search: a program lead byte followed by a
// trail byte is two bytes; every other byte is one, so a lead byte before '\', '/', a control byte
// or the end never takes that byte with it. Bytes 0xF6-0xFC are not leads here: the program would
// otherwise see a separator that the layer does not.
inline std::size_t Cp932CharLength(const unsigned char* p, std::size_t n) {
    return n >= 2 && IsProgramLead(p[0]) && IsCp932Trail(p[1]) ? 2 : 1;
}

// Decodes the character at p (n >= 1 bytes left) and sets cb to the bytes it takes. An invalid
// sequence gives kNoChar: a lead byte followed by a non-trail byte (or by nothing) takes one byte,
// so that the next byte is read on its own, as Windows does; an unassigned pair takes both.
inline char16_t DecodeCp932(const Cp932Tables& tables, const unsigned char* p, std::size_t n,
                            std::size_t& cb) {
    if (p[0] < 0x80) {
        cb = 1;
        return p[0];
    }
    const int iRow = tables.aLeadRow[p[0]];
    if (iRow < 0) {
        cb = 1;
        return tables.aSingle[p[0]];
    }
    if (n >= 2 && IsCp932Trail(p[1])) {
        cb = 2;
        return tables.aDouble[iRow][p[1]];
    }
    cb = 1;
    return kNoChar;
}

} // namespace tessaly::win32::detail
