// The name codec: CP932 tables for what CP932 carries, pairs of user-defined codes computed from
// the code point for the rest. No state but the count of names left out of listings.
#include "platform/win32/NameCodec.h"

#include <atomic>
#include <cstdint>

#include "platform/win32/common/CodePage932Tables.h"
#include "platform/win32/common/Utf8.h"

namespace tessaly::win32 {
namespace {

using namespace detail;

constexpr unsigned char kPairLeadFirst = 0xF0;
constexpr unsigned char kPairLeadLast = 0xF5;
constexpr std::size_t kTrailsPerLead = 186;
static_assert(kPairCodeCount == (kPairLeadLast - kPairLeadFirst + 1) * kTrailsPerLead);
// Every value a pair stands for fits: code points, then one value per byte of invalid UTF-8.
static_assert(kRawByteBase + 0x100 <= kPairCodeCount * kPairCodeCount);

// The first user-defined code and its UTF-16 unit: 0xF040 reads as U+E000, and every lead byte
// has 188 trail bytes (0x40-0x7E, 0x80-0xFC).
constexpr char16_t kUserFirstChar = 0xE000;
constexpr std::size_t kUserTrailsPerLead = 188;

// Trail bytes the program's own tests read as trail bytes, without '\' and '|' so that no code
// can be taken for a separator or a pipe.
struct PairTrails {
    unsigned char abTrail[kTrailsPerLead];
    std::int16_t aiIndex[256]; // trail byte -> position in abTrail, -1 when unused
};

constexpr PairTrails MakePairTrails() {
    PairTrails trails{};
    std::size_t i = 0;
    for (int b = 0; b < 256; ++b) {
        const bool bUsed = b >= 0x40 && b <= 0xFC && b != 0x7F && b != 0x5C && b != 0x7C;
        trails.aiIndex[b] = bUsed ? static_cast<std::int16_t>(i) : std::int16_t{-1};
        if (bUsed) {
            trails.abTrail[i++] = static_cast<unsigned char>(b);
        }
    }
    return trails;
}
constexpr PairTrails kPairTrails = MakePairTrails();

std::atomic<std::size_t> g_cUnmappable{0};

// The index (0 to 1,115) of a pair code; -1 when the bytes are none.
long PairIndex(unsigned char bLead, unsigned char bTrail) {
    if (bLead < kPairLeadFirst || bLead > kPairLeadLast || kPairTrails.aiIndex[bTrail] < 0) {
        return -1;
    }
    return static_cast<long>((bLead - kPairLeadFirst) * kTrailsPerLead) +
           kPairTrails.aiIndex[bTrail];
}

// The same for the UTF-16 unit that MultiByteToWideChar gives for a code.
long PairIndexOfWide(char16_t wc) {
    if (wc < kUserFirstChar) {
        return -1;
    }
    const std::size_t iUser = wc - kUserFirstChar;
    const std::size_t iLead = iUser / kUserTrailsPerLead;
    const std::size_t iTrail = iUser % kUserTrailsPerLead;
    if (iLead > static_cast<std::size_t>(kPairLeadLast - kPairLeadFirst)) {
        return -1;
    }
    const unsigned char bTrail =
        static_cast<unsigned char>(iTrail < 0x3F ? 0x40 + iTrail : 0x80 + (iTrail - 0x3F));
    return PairIndex(static_cast<unsigned char>(kPairLeadFirst + iLead), bTrail);
}

void AppendPairCode(std::string& str, std::size_t iIndex) {
    str.push_back(static_cast<char>(kPairLeadFirst + iIndex / kTrailsPerLead));
    str.push_back(static_cast<char>(kPairTrails.abTrail[iIndex % kTrailsPerLead]));
}

void AppendPair(std::string& str, char32_t uValue) {
    AppendPairCode(str, uValue / kPairCodeCount);
    AppendPairCode(str, uValue % kPairCodeCount);
}

// The bytes that go over as they are: ASCII, in names without '/' and NUL (no name holds them)
// and without the characters that are paired.
struct AsIsBytes {
    bool aName[0x100];
    bool aText[0x100];
    constexpr AsIsBytes() : aName(), aText() {
        for (int c = 0; c < 0x80; ++c) {
            aText[c] = true;
            aName[c] = c != '/' && c != 0 && !IsRefusedInWindowsName(static_cast<char32_t>(c));
        }
    }
};
constexpr AsIsBytes kAsIsBytes;

// Whether the encoder writes uValue as a pair (in names: the Name kind pairs the most), so that a
// pair is read back only when it is what the encoder would have written.
bool IsPairedValue(const Cp932Tables& tables, char32_t uValue) {
    if (uValue >= kRawByteBase) {
        return uValue >= kRawByteBase + 0x80 && uValue <= kRawByteBase + 0xFF;
    }
    if (uValue >= 0xD800 && uValue <= 0xDFFF) {
        return false;
    }
    if (uValue < 0x80) {
        return IsRefusedInWindowsName(uValue);
    }
    return uValue >= 0x10000 || tables.aCarried[uValue] == kNoCode;
}

// The value that two pair indices stand for, or false when the encoder never writes them.
bool PairValue(const Cp932Tables& tables, long iHigh, long iLow, char32_t& uValue) {
    if (iHigh < 0 || iLow < 0) {
        return false;
    }
    uValue = static_cast<char32_t>(iHigh) * kPairCodeCount + static_cast<char32_t>(iLow);
    return IsPairedValue(tables, uValue);
}

// The value of the character at pb (cb >= 1 bytes left, pb[0] >= 0x80): a pair's original, or
// what Windows reads; returns the bytes it takes.
std::size_t DecodeAnsiChar(const Cp932Tables& tables, const unsigned char* pb, std::size_t cb,
                           char32_t& uValue) {
    if (cb > 3 && PairValue(tables, PairIndex(pb[0], pb[1]), PairIndex(pb[2], pb[3]), uValue)) {
        return 4;
    }
    std::size_t cbChar;
    const char16_t wc = DecodeCp932(tables, pb, cb, cbChar);
    uValue = static_cast<char32_t>(wc == kNoChar ? kCp932Replacement : wc);
    return cbChar;
}

// Walks CP932 text and hands each code point (or raw byte value) to fnPut.
template <typename Fn> void DecodeAnsi(std::string_view strAnsi, Fn fnPut) {
    const Cp932Tables& tables = Cp932();
    const auto* pb = reinterpret_cast<const unsigned char*>(strAnsi.data());
    const std::size_t cb = strAnsi.size();
    for (std::size_t i = 0; i < cb;) {
        if (pb[i] < 0x80) {
            fnPut(static_cast<char32_t>(pb[i++]));
            continue;
        }
        char32_t uValue;
        i += DecodeAnsiChar(tables, pb + i, cb - i, uValue);
        fnPut(uValue);
    }
}

} // namespace

bool Utf8ToAnsi(std::string_view strUtf8, std::string& strOut, TextKind kind) {
    const Cp932Tables& tables = Cp932();
    const auto* pb = reinterpret_cast<const unsigned char*>(strUtf8.data());
    const std::size_t cb = strUtf8.size();
    const bool* const pbAsIs = kind == TextKind::Name ? kAsIsBytes.aName : kAsIsBytes.aText;
    strOut.clear();
    strOut.reserve(cb + cb / 2);
    for (std::size_t i = 0; i < cb;) {
        // Names are mostly ASCII: a run that stays as it is goes over in one append.
        std::size_t uRun = i;
        while (uRun < cb && pbAsIs[pb[uRun]]) {
            ++uRun;
        }
        if (uRun > i) {
            strOut.append(strUtf8.data() + i, uRun - i);
            i = uRun;
            continue;
        }
        if (pb[i] < 0x80) {
            if (kind == TextKind::Name && (pb[i] == '/' || pb[i] == 0)) {
                strOut.clear();
                return false;
            }
            if (kind == TextKind::Name && IsRefusedInWindowsName(pb[i])) {
                AppendPair(strOut, pb[i]);
            } else {
                strOut.push_back(static_cast<char>(pb[i]));
            }
            ++i;
            continue;
        }
        char32_t cp;
        std::size_t cbBad;
        const std::size_t cbChar = DecodeUtf8(pb + i, cb - i, cp, cbBad);
        if (cbChar == 0) {
            AppendPair(strOut, kRawByteBase + pb[i]); // each byte on its own, so each comes back
            ++i;
            continue;
        }
        i += cbChar;
        const std::uint16_t wCode = cp < 0x10000 ? tables.aCarried[cp] : kNoCode;
        if (wCode == kNoCode) {
            AppendPair(strOut, cp);
        } else if (wCode < 0x100) {
            strOut.push_back(static_cast<char>(wCode));
        } else {
            strOut.push_back(static_cast<char>(wCode >> 8));
            strOut.push_back(static_cast<char>(wCode & 0xFF));
        }
    }
    return true;
}

std::string AnsiToUtf8(std::string_view strAnsi) {
    // Written in place into room for the longest result (3 bytes of UTF-8 a CP932 byte: a
    // half-width kana or an invalid byte), with ASCII copied a byte at a time without a call.
    const Cp932Tables& tables = Cp932();
    const auto* pb = reinterpret_cast<const unsigned char*>(strAnsi.data());
    const std::size_t cb = strAnsi.size();
    std::string strOut(3 * cb, '\0');
    char* const pcStart = strOut.data();
    char* pc = pcStart;
    for (std::size_t i = 0; i < cb;) {
        if (pb[i] < 0x80) {
            *pc++ = static_cast<char>(pb[i++]);
            continue;
        }
        char32_t uValue;
        const std::size_t cbChar = DecodeAnsiChar(tables, pb + i, cb - i, uValue);
        i += cbChar;
        if (uValue >= kRawByteBase) {
            *pc++ = static_cast<char>(uValue - kRawByteBase);
        } else {
            pc += EncodeUtf8(uValue, pc);
        }
    }
    strOut.resize(static_cast<std::size_t>(pc - pcStart));
    return strOut;
}

std::string AnsiNameToDisk(std::string_view strAnsiName) {
    return AnsiToUtf8(strAnsiName);
}

bool DiskNameToAnsi(std::string_view strDiskName, std::string& strOut) {
    return Utf8ToAnsi(strDiskName, strOut, TextKind::Name);
}

std::u32string AnsiToCodePoints(std::string_view strAnsi) {
    std::u32string strOut;
    strOut.reserve(strAnsi.size());
    DecodeAnsi(strAnsi, [&strOut](char32_t uValue) { strOut.push_back(uValue); });
    return strOut;
}

std::u32string WideToCodePoints(std::u16string_view strWide) {
    const Cp932Tables& tables = Cp932();
    std::u32string strOut;
    strOut.reserve(strWide.size());
    for (std::size_t i = 0; i < strWide.size();) {
        const char16_t wc = strWide[i];
        if (i + 1 < strWide.size()) {
            const char16_t wcNext = strWide[i + 1];
            char32_t uValue;
            if (PairValue(tables, PairIndexOfWide(wc), PairIndexOfWide(wcNext), uValue)) {
                strOut.push_back(uValue);
                i += 2;
                continue;
            }
            if (wc >= 0xD800 && wc <= 0xDBFF && wcNext >= 0xDC00 && wcNext <= 0xDFFF) {
                strOut.push_back(0x10000 + ((wc - 0xD800) << 10) + (wcNext - 0xDC00));
                i += 2;
                continue;
            }
        }
        strOut.push_back(wc); // a lone surrogate stays as it is: no name is refused for it
        ++i;
    }
    return strOut;
}

std::size_t UnmappableNameCount() {
    return g_cUnmappable.load(std::memory_order_relaxed);
}

void NoteUnmappableName() {
    g_cUnmappable.fetch_add(1, std::memory_order_relaxed);
}

void ResetNameCodec() {
    g_cUnmappable.store(0, std::memory_order_relaxed);
}

} // namespace tessaly::win32
