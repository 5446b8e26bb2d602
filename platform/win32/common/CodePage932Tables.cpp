// Builds the CP932 tables from the system's own decoder and patches them to Windows' own values.
#include "platform/win32/common/CodePage932Tables.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace tessaly::win32::detail {
namespace {

Cp932Tables g_tables;
std::once_flag g_onceTables;

// Windows' values where glibc's CP932 is silent or may differ: the single bytes glibc rejects, and
// the Microsoft-specific characters that set CP932 apart from plain Shift_JIS (0x5C is a backslash
// and 0x7E a tilde, not the yen sign and the overline).
struct Patch {
    std::uint16_t wCode;
    char16_t wc;
};
constexpr Patch kPatches[] = {
    {0x5C, 0x005C},   {0x7E, 0x007E},   {0x80, 0x0080},   {0xA0, 0xF8F0},   {0xFD, 0xF8F1},
    {0xFE, 0xF8F2},   {0xFF, 0xF8F3},   {0x815C, 0x2015}, {0x815F, 0xFF3C}, {0x8160, 0xFF5E},
    {0x8161, 0x2225}, {0x817C, 0xFF0D}, {0x8191, 0xFFE0}, {0x8192, 0xFFE1}, {0x81CA, 0xFFE2},
};

// The user-defined area: lead bytes 0xF0-0xF9, every trail byte, in order from U+E000.
constexpr unsigned char kUserLeadFirst = 0xF0;
constexpr unsigned char kUserLeadLast = 0xF9;
constexpr char16_t kUserFirstChar = 0xE000;

void SetCode(Cp932Tables& t, std::uint16_t wCode, char16_t wc) {
    if (wCode < 0x100) {
        t.aSingle[wCode] = wc;
    } else {
        t.aDouble[t.aLeadRow[wCode >> 8]][wCode & 0xFF] = wc;
    }
}

// Among codes that decode to the same character Windows encodes to the first of: single bytes and
// JIS X 0208, NEC row 13 (0x87), IBM extensions (0xFA-0xFC), NEC-selected IBM extensions
// (0xED-0xEE); within a group the lowest code.
int ReverseRank(std::uint16_t wCode) {
    const unsigned uLead = wCode >> 8;
    if (uLead == 0x87) {
        return 1;
    }
    if (uLead >= 0xFA && uLead <= 0xFC) {
        return 2;
    }
    if (uLead == 0xED || uLead == 0xEE) {
        return 3;
    }
    return 0;
}

void Offer(Cp932Tables& t, std::uint16_t wCode, char16_t wc) {
    if (wc == kNoChar) {
        return;
    }
    std::uint16_t& wHeld = t.aFromUnicode[wc];
    if (wHeld == kNoCode || ReverseRank(wCode) < ReverseRank(wHeld)) {
        wHeld = wCode; // codes come in ascending order: an equal rank keeps the lower one
    }
}

// The program's byte tests stop at lead 0xF5: the IBM extensions that Windows writes at 0xFA-0xFC
// go to their NEC-selected twins, which decode to the same characters.
void BuildCarried(Cp932Tables& t) {
    for (std::size_t wc = 0; wc < 65536; ++wc) {
        const std::uint16_t wCode = t.aFromUnicode[wc];
        const unsigned uLead = wCode >> 8;
        const bool bProgramReads =
            wCode < 0x100 || IsProgramLead(static_cast<unsigned char>(uLead));
        const bool bUserDefined = uLead >= kUserLeadFirst && uLead <= kUserLeadLast;
        t.aCarried[wc] = wCode != kNoCode && bProgramReads && !bUserDefined ? wCode : kNoCode;
    }
    for (int b : {0xED, 0xEE}) {
        for (int c = 0x40; c <= 0xFC; ++c) {
            const char16_t wc = t.aDouble[t.aLeadRow[b]][c];
            if (wc != kNoChar && t.aCarried[wc] == kNoCode && (t.aFromUnicode[wc] >> 8) >= 0xFA) {
                t.aCarried[wc] = static_cast<std::uint16_t>(b << 8 | c);
            }
        }
    }
}

void Build(Cp932Tables& t) {
    const Cp932SystemDecoder decoder;
    int iRow = 0;
    for (int b = 0; b < 256; ++b) {
        const unsigned char by = static_cast<unsigned char>(b);
        t.aLeadRow[b] = IsCp932Lead(by) ? static_cast<std::int8_t>(iRow++) : std::int8_t{-1};
        t.aSingle[b] = IsCp932Lead(by) ? kNoChar : decoder.Decode(&by, 1);
    }
    for (int b = 0; b < 256; ++b) {
        if (t.aLeadRow[b] < 0) {
            continue;
        }
        char16_t* pwRow = t.aDouble[t.aLeadRow[b]];
        for (int c = 0; c < 256; ++c) {
            const unsigned char ab[2] = {static_cast<unsigned char>(b),
                                         static_cast<unsigned char>(c)};
            pwRow[c] = IsCp932Trail(ab[1]) ? decoder.Decode(ab, 2) : kNoChar;
        }
    }

    for (const Patch& patch : kPatches) {
        SetCode(t, patch.wCode, patch.wc);
    }
    char16_t wcUser = kUserFirstChar;
    for (int b = kUserLeadFirst; b <= kUserLeadLast; ++b) {
        for (int c = 0x40; c <= 0xFC; ++c) {
            if (IsCp932Trail(static_cast<unsigned char>(c))) {
                SetCode(t, static_cast<std::uint16_t>(b << 8 | c), wcUser++);
            }
        }
    }

    for (std::uint16_t& wCode : t.aFromUnicode) {
        wCode = kNoCode;
    }
    for (int b = 0; b < 256; ++b) {
        if (t.aLeadRow[b] < 0) {
            Offer(t, static_cast<std::uint16_t>(b), t.aSingle[b]);
            continue;
        }
        for (int c = 0; c < 256; ++c) {
            Offer(t, static_cast<std::uint16_t>(b << 8 | c), t.aDouble[t.aLeadRow[b]][c]);
        }
    }
    BuildCarried(t);
}

} // namespace

std::atomic<const Cp932Tables*> g_pCp932{nullptr};

const Cp932Tables& BuildCp932() {
    std::call_once(g_onceTables, [] {
        Build(g_tables);
        g_pCp932.store(&g_tables, std::memory_order_release);
    });
    return g_tables;
}

} // namespace tessaly::win32::detail
