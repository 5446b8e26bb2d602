#include "app/NameRanks.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "support/MyWString.h"

namespace {

// Arrays of one slot per entry or more: a million names' keys reuse the pages of arrays freed
// before.
template <typename T> using CKeyArray = tessaly::framework::LargeVector<T>;

// A folded name: its first eight UTF-16 units packed so that comparing the numbers compares the
// units in order (a short name padded with 0, which no name holds), the rest in a shared pool, or
// for an ASCII name read from the name itself (its units are its bytes, as CMyWString converts
// it). Most comparisons of a sort end in the packed units, without touching the rest; a million
// ASCII names' tails copied to the pool took 20 MB of fresh pages at every sort.
struct SNameKey {
    std::uint64_t ullHead0;
    std::uint64_t ullHead1;
    DWORD dwOffset; // where the units after the first eight lie in the pool, or kTailInName
    DWORD dwLength;
    DWORD nId;
    DWORD dwPos; // the entry's place in the store
};

constexpr DWORD kHeadUnits = 8;
constexpr DWORD kTailInName = 0xFFFFFFFF;

// Eight folded units of a name packed as a key's head holds them.
struct SNameWindow {
    std::uint64_t ull0 = 0;
    std::uint64_t ull1 = 0;

    // Unit j (0-7) of the eight.
    void Pack(DWORD j, WCHAR wc) {
        if (j < kHeadUnits / 2) {
            ull0 |= static_cast<std::uint64_t>(wc) << (48 - 16 * j);
        } else {
            ull1 |= static_cast<std::uint64_t>(wc) << (48 - 16 * (j - kHeadUnits / 2));
        }
    }
};

// Where the units of the keys after their first eight are found.
struct SNameTails {
    const CKeyArray<WCHAR>& vecPool;
    const CFileCollector& store;

    // The units of key from the ninth on: unit i is Unit(At(key), i).
    struct STail {
        const char* pcAscii; // the name's bytes from the ninth on, or null
        const WCHAR* pwcPool;
    };
    STail At(const SNameKey& key) const {
        if (key.dwOffset == kTailInName) {
            return {store.GetAt(key.dwPos).m_strName.GetString() + kHeadUnits, nullptr};
        }
        return {nullptr, vecPool.data() + key.dwOffset};
    }
    // Fetches what At(key) reads at iStage: 0 the key's entry, 1 its name's head (the entry
    // fetched), 2 the units (the head fetched). A pool's units need the last stage only.
    void Prefetch(const SNameKey& key, int iStage) const {
        if (key.dwOffset != kTailInName) {
            if (iStage == 2) {
                __builtin_prefetch(vecPool.data() + key.dwOffset);
            }
            return;
        }
        const CFileEntry& entry = store.GetAt(key.dwPos);
        if (iStage == 0) {
            __builtin_prefetch(&entry);
        } else if (iStage == 1) {
            entry.m_strName.PrefetchHead();
        } else {
            entry.m_strName.PrefetchText();
        }
    }
    static WCHAR Unit(const STail& tail, DWORD i) {
        return tail.pcAscii != nullptr ? CMyWString::FoldAscii(static_cast<WCHAR>(tail.pcAscii[i]))
                                       : tail.pwcPool[i];
    }
};

int CompareKeys(const SNameKey& a, const SNameKey& b, const SNameTails& tails) {
    if (a.ullHead0 != b.ullHead0) {
        return a.ullHead0 < b.ullHead0 ? -1 : 1;
    }
    if (a.ullHead1 != b.ullHead1) {
        return a.ullHead1 < b.ullHead1 ? -1 : 1;
    }
    const DWORD dwCommon = std::min(a.dwLength, b.dwLength);
    if (dwCommon > kHeadUnits) {
        const SNameTails::STail tailA = tails.At(a);
        const SNameTails::STail tailB = tails.At(b);
        for (DWORD i = 0; i + kHeadUnits < dwCommon; ++i) {
            const WCHAR wcA = SNameTails::Unit(tailA, i);
            const WCHAR wcB = SNameTails::Unit(tailB, i);
            if (wcA != wcB) {
                return wcA < wcB ? -1 : 1;
            }
        }
    }
    return a.dwLength < b.dwLength ? -1 : a.dwLength > b.dwLength ? 1 : 0;
}

// Byte i (0-15) of ull0 then ull1, in the order packed heads compare.
unsigned ByteOf(std::uint64_t ull0, std::uint64_t ull1, int i) {
    return static_cast<unsigned>((i < 8 ? ull0 : ull1) >> (56 - 8 * (i % 8))) & 0xFF;
}

unsigned HeadByte(const SNameKey& key, int i) {
    return ByteOf(key.ullHead0, key.ullHead1, i);
}

// Packs into key's head its units from dwFirst on (at least kHeadUnits: those are read from its
// tail), where the units before are those of every other key in its range.
void PackHeadFrom(SNameKey& key, DWORD dwFirst, const SNameTails& tails) {
    SNameWindow window;
    // A name that ends where the new heads begin keeps them all padding, its tail unread.
    if (key.dwLength > dwFirst) {
        const SNameTails::STail tail = tails.At(key);
        for (DWORD j = 0; j < kHeadUnits && dwFirst + j < key.dwLength; ++j) {
            window.Pack(j, SNameTails::Unit(tail, dwFirst + j - kHeadUnits));
        }
    }
    key.ullHead0 = window.ull0;
    key.ullHead1 = window.ull1;
}

// Orders the keys as CompareKeys does, in place: a byte of the packed heads at a time from the
// first, each range split into one bucket per byte value, the bytes all its keys share passed
// over. A range whose heads are all alike takes its next eight units into the heads and goes on;
// a range of a few keys is left to CompareKeys. A comparison sort of a million keys made some
// twenty passes over their 32 MB, and names alike in their first units (track_000123) compared
// their tails, read from the names, twenty times each; here only the first split reads every key
// from memory, and a tail is read once for each eight units the heads could not tell apart.
//
// pbGroupStarts (one per key) is set where a bucket begins: keys on either side differ, whatever
// their heads now hold. Heads of different ranges may hold different units, so only keys within
// one group may be compared afterwards. The largest bucket is sorted by the loop and the others by
// recursion, so the stack holds at most one frame for each halving of the keys. iByte is the first
// byte in which the range's keys may differ, dwFirst the first unit their heads hold.
void SortNameKeys(SNameKey* pKeys, std::size_t uCount, const SNameTails& tails,
                  std::uint8_t* pbGroupStarts, int iByte = 0, DWORD dwFirst = 0) {
    constexpr std::size_t kCompared = 64;
    while (uCount > kCompared) {
        // The first byte from iByte in which the keys differ.
        std::uint64_t ullDiffer0 = 0;
        std::uint64_t ullDiffer1 = 0;
        DWORD dwLongest = 0;
        for (std::size_t i = 0; i < uCount; ++i) {
            ullDiffer0 |= pKeys[i].ullHead0 ^ pKeys[0].ullHead0;
            ullDiffer1 |= pKeys[i].ullHead1 ^ pKeys[0].ullHead1;
            dwLongest = std::max(dwLongest, pKeys[i].dwLength);
        }
        while (iByte < 16 && ByteOf(ullDiffer0, ullDiffer1, iByte) == 0) {
            ++iByte;
        }
        if (iByte == 16) {
            // Alike as far as the heads go: the same names unless one goes on beyond them.
            dwFirst += kHeadUnits;
            if (dwLongest <= dwFirst) {
                break;
            }
            // The tails lie where their names do, anywhere: each key's entry, the head of its
            // name and the name are fetched some keys before they are read.
            constexpr std::size_t kAhead = 8;
            for (std::size_t i = 0; i < uCount; ++i) {
                if (i + 3 * kAhead < uCount) {
                    tails.Prefetch(pKeys[i + 3 * kAhead], 0);
                }
                if (i + 2 * kAhead < uCount) {
                    tails.Prefetch(pKeys[i + 2 * kAhead], 1);
                }
                if (i + kAhead < uCount) {
                    tails.Prefetch(pKeys[i + kAhead], 2);
                }
                PackHeadFrom(pKeys[i], dwFirst, tails);
            }
            iByte = 0;
            continue;
        }
        std::array<std::size_t, 257> aStarts{};
        for (std::size_t i = 0; i < uCount; ++i) {
            ++aStarts[HeadByte(pKeys[i], iByte) + 1];
        }
        for (std::size_t b = 1; b < aStarts.size(); ++b) {
            aStarts[b] += aStarts[b - 1];
        }
        // Each key swapped straight into its bucket's next free place.
        std::array<std::size_t, 256> aNext;
        std::copy(aStarts.begin(), aStarts.end() - 1, aNext.begin());
        for (unsigned b = 0; b < 256; ++b) {
            while (aNext[b] < aStarts[b + 1]) {
                const unsigned uTo = HeadByte(pKeys[aNext[b]], iByte);
                if (uTo == b) {
                    ++aNext[b];
                } else {
                    std::swap(pKeys[aNext[b]], pKeys[aNext[uTo]++]);
                }
            }
        }
        unsigned uLargest = 0;
        for (unsigned b = 0; b < 256; ++b) {
            const std::size_t uSize = aStarts[b + 1] - aStarts[b];
            if (uSize > 0) {
                pbGroupStarts[aStarts[b]] = 1;
            }
            if (uSize > aStarts[uLargest + 1] - aStarts[uLargest]) {
                uLargest = b;
            }
        }
        ++iByte;
        for (unsigned b = 0; b < 256; ++b) {
            const std::size_t uSize = aStarts[b + 1] - aStarts[b];
            if (b != uLargest && uSize > 1) {
                SortNameKeys(pKeys + aStarts[b], uSize, tails, pbGroupStarts + aStarts[b], iByte,
                             dwFirst);
            }
        }
        pKeys += aStarts[uLargest];
        pbGroupStarts += aStarts[uLargest];
        uCount = aStarts[uLargest + 1] - aStarts[uLargest];
    }
    std::sort(pKeys, pKeys + uCount,
              [&](const SNameKey& a, const SNameKey& b) { return CompareKeys(a, b, tails) < 0; });
}

} // namespace

void RankNamesInto(const CFileCollector& store, tessaly::framework::LargeVector<DWORD>& vecRanks) {
    const DWORD dwCount = store.GetCount();
    CKeyArray<SNameKey> vecKeys;
    CKeyArray<WCHAR> vecPool;
    std::vector<WCHAR> vecWide;
    vecKeys.reserve(dwCount);
    // A name has at most as many UTF-16 units as CP932 bytes: the pool is sized once, at the first
    // name that is not ASCII, where its growth copied it and touched new pages again and again.
    const auto SizePool = [&] {
        size_t nPoolUnits = 0;
        for (DWORD dwPos = 0; dwPos < dwCount; ++dwPos) {
            const size_t nBytes = store.GetAt(dwPos).m_strName.View().size();
            nPoolUnits += nBytes > kHeadUnits ? nBytes - kHeadUnits : 0;
        }
        vecPool.reserve(nPoolUnits);
    };
    for (DWORD dwPos = 0; dwPos < dwCount; ++dwPos) {
        const CFileEntry& entry = store.GetAt(dwPos);
        const DWORD nId = entry.m_nId;
        if (nId == CFileEntry::kNoId) {
            continue;
        }
        SNameKey key{0, 0, kTailInName, 0, nId, dwPos};
        SNameWindow head;
        const auto Pack = [&](DWORD i, WCHAR wc) {
            wc = CMyWString::FoldAscii(wc);
            if (i < kHeadUnits) {
                head.Pack(i, wc);
            } else if (key.dwOffset != kTailInName) {
                vecPool.push_back(wc);
            }
        };
        // An ASCII name's units are its bytes, as CMyWString converts it: packed straight from
        // them, in one pass over the name, its tail left in the name.
        const char* pcName = entry.m_strName.GetString();
        DWORD dwLength = 0;
        while (pcName[dwLength] != '\0' && static_cast<unsigned char>(pcName[dwLength]) < 0x80) {
            Pack(dwLength, static_cast<WCHAR>(pcName[dwLength]));
            ++dwLength;
        }
        if (pcName[dwLength] != '\0') {
            if (vecPool.capacity() == 0) {
                SizePool();
            }
            head = SNameWindow();
            key.dwOffset = static_cast<DWORD>(vecPool.size());
            if (!CMyWString::ConvertInto(pcName, vecWide, &dwLength)) {
                vecRanks[nId] = 0; // as CMyWString::Compare's error: before every other name
                continue;
            }
            for (DWORD i = 0; i < dwLength; ++i) {
                Pack(i, vecWide[i]);
            }
        }
        key.ullHead0 = head.ull0;
        key.ullHead1 = head.ull1;
        key.dwLength = dwLength;
        vecKeys.push_back(key);
    }
    const SNameTails tails{vecPool, store};
    std::vector<std::uint8_t> vecGroupStarts(vecKeys.size(), 0);
    SortNameKeys(vecKeys.data(), vecKeys.size(), tails, vecGroupStarts.data());
    DWORD dwRank = 0;
    for (std::size_t i = 0; i < vecKeys.size(); ++i) {
        if (i == 0 || vecGroupStarts[i] != 0 ||
            CompareKeys(vecKeys[i - 1], vecKeys[i], tails) != 0) {
            ++dwRank;
        }
        vecRanks[vecKeys[i].nId] = dwRank;
    }
}
