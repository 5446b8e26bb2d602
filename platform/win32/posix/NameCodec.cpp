// The name codec: CP932 tables for what CP932 carries, a process-wide table of user-defined-area
// codes for the rest. Readers of the table take no lock: a code's original is published before the
// count of used codes that makes it visible.
#include "platform/win32/NameCodec.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/win32/posix/CodePage932Tables.h"
#include "platform/win32/posix/Utf8.h"

namespace tessaly::win32 {
namespace {

using namespace detail;

constexpr unsigned char kCodeLeadFirst = 0xF0;
constexpr unsigned char kCodeLeadLast = 0xF5;
constexpr std::size_t kTrailsPerLead = 186;
static_assert(kNameCodeCapacity == (kCodeLeadLast - kCodeLeadFirst + 1) * kTrailsPerLead);

// An original is a Unicode scalar value, or a byte of invalid UTF-8 marked with this bit.
constexpr std::uint32_t kRawByte = 0x80000000u;

// Trail bytes the program's own tests read as trail bytes, without '\' and '|' so that no code
// can be taken for a separator or a pipe.
struct CodeTrails {
    unsigned char abTrail[kTrailsPerLead];
    std::int16_t aiIndex[256]; // trail byte -> position in abTrail, -1 when unused
};

constexpr CodeTrails MakeCodeTrails() {
    CodeTrails trails{};
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
constexpr CodeTrails kCodeTrails = MakeCodeTrails();

std::uint16_t CodeAt(std::size_t iIndex) {
    return static_cast<std::uint16_t>((kCodeLeadFirst + iIndex / kTrailsPerLead) << 8 |
                                      kCodeTrails.abTrail[iIndex % kTrailsPerLead]);
}

// The table position of a lead and trail byte; -1 when they are no code of the table.
long IndexOfCode(unsigned char bLead, unsigned char bTrail) {
    if (bLead < kCodeLeadFirst || bLead > kCodeLeadLast || kCodeTrails.aiIndex[bTrail] < 0) {
        return -1;
    }
    return static_cast<long>((bLead - kCodeLeadFirst) * kTrailsPerLead) +
           kCodeTrails.aiIndex[bTrail];
}

class CCodeTable {
public:
    // The number of codes handed out; codes below it have their original published.
    std::size_t Used() const { return m_cUsed.load(std::memory_order_acquire); }
    std::uint32_t Original(std::size_t iIndex) const {
        return m_aOriginals[iIndex].load(std::memory_order_relaxed);
    }

    // Caller holds Mutex().
    const std::uint16_t* Find(std::uint32_t uOriginal) const {
        const auto it = m_mapCodes.find(uOriginal);
        return it == m_mapCodes.end() ? nullptr : &it->second;
    }
    std::size_t Free() const { return kNameCodeCapacity - m_cUsed.load(std::memory_order_relaxed); }
    void Add(std::uint32_t uOriginal) {
        const std::size_t iIndex = m_cUsed.load(std::memory_order_relaxed);
        m_aOriginals[iIndex].store(uOriginal, std::memory_order_relaxed);
        m_mapCodes.emplace(uOriginal, CodeAt(iIndex));
        m_cUsed.store(iIndex + 1, std::memory_order_release);
    }
    void Reset() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_cUsed.store(0, std::memory_order_release);
        m_mapCodes.clear();
        m_cUnmappable.store(0, std::memory_order_relaxed);
    }
    void NoteUnmappable() { m_cUnmappable.fetch_add(1, std::memory_order_relaxed); }
    std::size_t Unmappable() const { return m_cUnmappable.load(std::memory_order_relaxed); }
    std::mutex& Mutex() { return m_mutex; }

private:
    std::mutex m_mutex;
    std::unordered_map<std::uint32_t, std::uint16_t> m_mapCodes;
    std::array<std::atomic<std::uint32_t>, kNameCodeCapacity> m_aOriginals{};
    std::atomic<std::size_t> m_cUsed{0};
    std::atomic<std::size_t> m_cUnmappable{0};
};

CCodeTable g_table;

bool IsForbiddenInName(unsigned char b) {
    switch (b) {
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
        return b >= 0x01 && b <= 0x1F;
    }
}

// One step through UTF-8 text: the CP932 code it becomes, or kNoCode and the original that needs
// a code of the table.
struct Step {
    std::size_t cb;
    std::uint16_t wCode;
    std::uint32_t uOriginal;
};

Step NextStep(const Cp932Tables& tables, const unsigned char* pb, std::size_t cb, TextKind kind) {
    if (pb[0] < 0x80) {
        const bool bMap = kind == TextKind::Name && IsForbiddenInName(pb[0]);
        return {1, bMap ? kNoCode : static_cast<std::uint16_t>(pb[0]), pb[0]};
    }
    char32_t cp;
    std::size_t cbBad;
    const std::size_t cbChar = DecodeUtf8(pb, cb, cp, cbBad);
    if (cbChar == 0) {
        return {1, kNoCode, kRawByte | pb[0]};
    }
    // Characters of the user-defined area itself would be read back as mapped codes.
    if (cp >= 0x10000 || (cp >= 0xE000 && cp <= 0xE757)) {
        return {cbChar, kNoCode, cp};
    }
    return {cbChar, tables.aFromUnicode[cp], cp};
}

void AppendCode(std::string& str, std::uint16_t wCode) {
    if (wCode >= 0x100) {
        str.push_back(static_cast<char>(wCode >> 8));
    }
    str.push_back(static_cast<char>(wCode & 0xFF));
}

// The rest of a text from the first step that needs a code: every new original of it gets one,
// in the order met, or none does.
bool ConvertWithCodes(const Cp932Tables& tables, const unsigned char* pb, std::size_t cb,
                      std::string& strOut, TextKind kind) {
    std::lock_guard<std::mutex> lock(g_table.Mutex());
    std::vector<std::uint32_t> vNew;
    for (std::size_t i = 0; i < cb;) {
        const Step step = NextStep(tables, pb + i, cb - i, kind);
        i += step.cb;
        if (step.wCode != kNoCode || g_table.Find(step.uOriginal) != nullptr) {
            continue;
        }
        bool bSeen = false;
        for (std::uint32_t uNew : vNew) {
            bSeen = bSeen || uNew == step.uOriginal;
        }
        if (!bSeen) {
            if (vNew.size() == g_table.Free()) {
                g_table.NoteUnmappable();
                strOut.clear();
                return false;
            }
            vNew.push_back(step.uOriginal);
        }
    }
    for (std::uint32_t uNew : vNew) {
        g_table.Add(uNew);
    }
    for (std::size_t i = 0; i < cb;) {
        const Step step = NextStep(tables, pb + i, cb - i, kind);
        i += step.cb;
        AppendCode(strOut, step.wCode != kNoCode ? step.wCode : *g_table.Find(step.uOriginal));
    }
    return true;
}

} // namespace

bool Utf8ToAnsi(std::string_view strUtf8, std::string& strOut, TextKind kind) {
    const Cp932Tables& tables = Cp932();
    const auto* pb = reinterpret_cast<const unsigned char*>(strUtf8.data());
    const std::size_t cb = strUtf8.size();
    strOut.clear();
    strOut.reserve(cb);
    for (std::size_t i = 0; i < cb;) {
        const Step step = NextStep(tables, pb + i, cb - i, kind);
        if (step.wCode == kNoCode) {
            return ConvertWithCodes(tables, pb + i, cb - i, strOut, kind);
        }
        AppendCode(strOut, step.wCode);
        i += step.cb;
    }
    return true;
}

std::string AnsiToUtf8(std::string_view strAnsi) {
    const Cp932Tables& tables = Cp932();
    const auto* pb = reinterpret_cast<const unsigned char*>(strAnsi.data());
    const std::size_t cb = strAnsi.size();
    const std::size_t cUsed = g_table.Used();
    std::string strOut;
    strOut.reserve(cb + cb / 2);
    for (std::size_t i = 0; i < cb;) {
        if (pb[i] < 0x80) {
            strOut.push_back(static_cast<char>(pb[i++]));
            continue;
        }
        std::size_t cbChar;
        const char16_t wc = DecodeCp932(tables, pb + i, cb - i, cbChar);
        const long iIndex = cbChar == 2 ? IndexOfCode(pb[i], pb[i + 1]) : -1;
        i += cbChar;
        if (iIndex >= 0 && static_cast<std::size_t>(iIndex) < cUsed) {
            const std::uint32_t uOriginal = g_table.Original(static_cast<std::size_t>(iIndex));
            if (uOriginal & kRawByte) {
                strOut.push_back(static_cast<char>(uOriginal & 0xFF));
            } else {
                AppendUtf8(strOut, uOriginal);
            }
            continue;
        }
        AppendUtf8(strOut, wc == kNoChar ? kCp932Replacement : wc);
    }
    return strOut;
}

std::string AnsiNameToDisk(std::string_view strAnsiName) {
    return AnsiToUtf8(strAnsiName);
}

bool DiskNameToAnsi(std::string_view strDiskName, std::string& strOut) {
    return Utf8ToAnsi(strDiskName, strOut, TextKind::Name);
}

std::size_t UnmappableNameCount() {
    return g_table.Unmappable();
}

void ResetNameCodec() {
    g_table.Reset();
}

} // namespace tessaly::win32
