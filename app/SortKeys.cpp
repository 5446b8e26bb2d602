#include "app/SortKeys.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "app/NameRanks.h"
#include "platform/win32/Win32CodePage.h"

namespace {

// A key's identifier where the key keeps it as nId.
struct SIdMember {
    template <typename Key> DWORD operator()(const Key& key) const { return key.nId; }
};

// Ranks from 1 along a sorted sequence, at idOf(key); equal neighbours share one.
template <typename Keys, typename Ranks, typename Same, typename IdOf = SIdMember>
void RankSorted(const Keys& vecSorted, Ranks& vecRanks, Same same, IdOf idOf = {}) {
    DWORD dwRank = 0;
    for (std::size_t i = 0; i < vecSorted.size(); ++i) {
        if (i == 0 || !same(vecSorted[i - 1], vecSorted[i])) {
            ++dwRank;
        }
        vecRanks[idOf(vecSorted[i])] = dwRank;
    }
}

} // namespace

void CSortKeys::Build(const CFileCollector& store, int iColumn) {
    Clear();
    const DWORD dwCount = store.GetCount();
    // Sized once for the highest identifier: growing with each new one copied the table over.
    size_t nIds = 0;
    for (DWORD i = 0; i < dwCount; ++i) {
        const DWORD nId = store.GetAt(i).m_nId;
        if (nId != CFileEntry::kNoId) {
            nIds = std::max(nIds, static_cast<size_t>(nId) + 1);
        }
    }
    m_pStore = &store;
    m_vecRanks.assign(nIds, kNoRank);
    m_iColumn = iColumn;
    if (iColumn == 0) {
        RankNamesInto(store, m_vecRanks);
    } else if (iColumn == 1) {
        RankSizes(store);
    } else if (iColumn == 2) {
        RankFolders(store);
    }
    for (DWORD dwRank : m_vecRanks) {
        if (dwRank != kNoRank) {
            m_dwTopRank = std::max(m_dwTopRank, dwRank);
        }
    }
    m_bBuilt = TRUE;
}

CRowArray<int> CSortKeys::Order(std::vector<DWORD_PTR> vecIds, int iDir) const {
    // Bucket of each row: its rank turned for the direction, those without one after the rest.
    // Kept in the row's slot of vecIds, where a second lookup of its rank waited on a cache miss
    // and an array of its own cut the pages the list's reorder takes next. Meanwhile a bitmap of
    // the buckets taken (128 KB for a million, in the cache) tells whether each is a row's own.
    const DWORD dwLast = m_dwTopRank + 1;
    std::vector<std::uint64_t> vecTaken(dwLast / 64 + 1, 0);
    bool bOwnBuckets = true;
    DWORD dwRanked = 0;
    for (DWORD_PTR& nIdThenBucket : vecIds) {
        const DWORD dwRank =
            nIdThenBucket <= 0xFFFFFFFFu ? Rank(static_cast<DWORD>(nIdThenBucket)) : kNoRank;
        const DWORD dwBucket = dwRank == kNoRank ? dwLast
                               : iDir < 0        ? m_dwTopRank - dwRank
                                                 : dwRank;
        nIdThenBucket = dwBucket;
        if (bOwnBuckets && dwBucket != dwLast) {
            std::uint64_t& uWord = vecTaken[dwBucket / 64];
            const std::uint64_t uBit = std::uint64_t{1} << (dwBucket % 64);
            bOwnBuckets = (uWord & uBit) == 0;
            uWord |= uBit;
            ++dwRanked;
        }
    }
    CRowArray<int> vecOrder(vecIds.size());
    if (bOwnBuckets) {
        // Names and sizes mostly differ: a row's place is the number of buckets taken below its
        // own, with no counter per bucket to update at random.
        std::vector<DWORD> vecBelow(vecTaken.size());
        DWORD dwBelow = 0;
        for (std::size_t w = 0; w < vecTaken.size(); ++w) {
            vecBelow[w] = dwBelow;
            dwBelow += static_cast<DWORD>(std::popcount(vecTaken[w]));
        }
        DWORD dwUnranked = dwRanked;
        for (size_t i = 0; i < vecIds.size(); ++i) {
            const DWORD dwBucket = static_cast<DWORD>(vecIds[i]);
            const DWORD dwPlace =
                dwBucket == dwLast
                    ? dwUnranked++
                    : vecBelow[dwBucket / 64] + static_cast<DWORD>(std::popcount(
                                                    vecTaken[dwBucket / 64] &
                                                    ((std::uint64_t{1} << (dwBucket % 64)) - 1)));
            vecOrder[dwPlace] = static_cast<int>(i);
        }
        return vecOrder;
    }
    CRowArray<DWORD> vecStart(static_cast<size_t>(dwLast) + 2, 0);
    for (const DWORD_PTR nBucket : vecIds) {
        ++vecStart[nBucket + 1];
    }
    for (size_t b = 1; b < vecStart.size(); ++b) {
        vecStart[b] += vecStart[b - 1];
    }
    for (size_t i = 0; i < vecIds.size(); ++i) {
        vecOrder[vecStart[vecIds[i]]++] = static_cast<int>(i);
    }
    return vecOrder;
}

namespace {

struct SSizeKey {
    ULONGLONG ullSize;
    DWORD nId;
};

// Orders the keys by size (sizeOf(key), its lowest kSizeBits bits): a radix sort of 11 bits at a
// time from the lowest, in one pass for each digit in which the sizes differ. Its passes read and
// write the keys in order, where a comparison sort of a million keys made twenty passes, each
// slower than the last as the keys outgrew the caches; 2048 places written at a time still fit
// the cache, and take a pass fewer than bytes for the sizes of most files.
template <int kSizeBits, typename Key, typename SizeOf>
void SortBySize(CRowArray<Key>& vecKeys, SizeOf sizeOf) {
    constexpr int kDigitBits = 11;
    constexpr int kDigits = (kSizeBits + kDigitBits - 1) / kDigitBits;
    constexpr ULONGLONG kDigitMask = (ULONGLONG{1} << kDigitBits) - 1;
    std::vector<std::array<DWORD, kDigitMask + 1>> vecCounts(kDigits);
    for (auto& aCounts : vecCounts) {
        aCounts.fill(0);
    }
    for (const Key& key : vecKeys) {
        const ULONGLONG ullSize = sizeOf(key);
        for (int d = 0; d < kDigits; ++d) {
            ++vecCounts[d][(ullSize >> (kDigitBits * d)) & kDigitMask];
        }
    }
    CRowArray<Key> vecOther(vecKeys.size());
    for (int d = 0; d < kDigits && !vecKeys.empty(); ++d) {
        auto& aStarts = vecCounts[d];
        if (aStarts[(sizeOf(vecKeys[0]) >> (kDigitBits * d)) & kDigitMask] == vecKeys.size()) {
            continue; // every size has this digit
        }
        DWORD dwAt = 0;
        for (DWORD& dwCount : aStarts) {
            const DWORD dwNext = dwAt + dwCount;
            dwCount = dwAt;
            dwAt = dwNext;
        }
        for (const Key& key : vecKeys) {
            vecOther[aStarts[(sizeOf(key) >> (kDigitBits * d)) & kDigitMask]++] = key;
        }
        vecKeys.swap(vecOther);
    }
}

// A size below 1 TiB and an identifier below 2^24 in one number, the size above: such keys take
// half the memory of a pair, and the sort's passes over them half the time.
constexpr int kPackedIdBits = 24;
constexpr int kPackedSizeBits = 40;
constexpr std::uint64_t kPackedIdMask = (std::uint64_t{1} << kPackedIdBits) - 1;

// The keys of the store's entries packed, in store order; false when one does not fit.
bool PackSizeKeys(const CFileCollector& store, CRowArray<std::uint64_t>& vecKeys) {
    vecKeys.reserve(store.GetCount());
    for (DWORD dwPos = 0; dwPos < store.GetCount(); ++dwPos) {
        const CFileEntry& entry = store.GetAt(dwPos);
        if (entry.m_nId == CFileEntry::kNoId) {
            continue;
        }
        if ((entry.m_ullSize >> kPackedSizeBits) != 0 || entry.m_nId > kPackedIdMask) {
            return false;
        }
        vecKeys.push_back(entry.m_ullSize << kPackedIdBits | entry.m_nId);
    }
    return true;
}

} // namespace

void CSortKeys::RankSizes(const CFileCollector& store) {
    {
        CRowArray<std::uint64_t> vecPacked;
        if (PackSizeKeys(store, vecPacked)) {
            SortBySize<kPackedSizeBits>(
                vecPacked, [](std::uint64_t ullKey) { return ullKey >> kPackedIdBits; });
            RankSorted(
                vecPacked, m_vecRanks,
                [](std::uint64_t a, std::uint64_t b) {
                    return (a >> kPackedIdBits) == (b >> kPackedIdBits);
                },
                [](std::uint64_t ullKey) { return ullKey & kPackedIdMask; });
            return;
        }
    }
    CRowArray<SSizeKey> vecKeys;
    vecKeys.reserve(store.GetCount());
    for (DWORD dwPos = 0; dwPos < store.GetCount(); ++dwPos) {
        const CFileEntry& entry = store.GetAt(dwPos);
        if (entry.m_nId != CFileEntry::kNoId) {
            vecKeys.push_back(SSizeKey{entry.m_ullSize, entry.m_nId});
        }
    }
    SortBySize<64>(vecKeys, [](const SSizeKey& key) { return key.ullSize; });
    RankSorted(vecKeys, m_vecRanks,
               [](const SSizeKey& a, const SSizeKey& b) { return a.ullSize == b.ullSize; });
}

void CSortKeys::RankFolders(const CFileCollector& store) {
    // Each distinct folder once: the sort then orders thousands of texts, not millions.
    const DWORD dwCount = store.GetCount();
    std::unordered_map<std::string_view, DWORD> mapFolders;
    std::vector<std::string_view> vecFolders;
    CRowArray<DWORD> vecFolderOf(dwCount, 0); // by the entry's place in the store
    for (DWORD dwPos = 0; dwPos < dwCount; ++dwPos) {
        const std::string_view svFolder = store.GetAt(dwPos).m_strFolder.View();
        const auto [it, bNew] = mapFolders.emplace(svFolder, static_cast<DWORD>(vecFolders.size()));
        if (bNew) {
            vecFolders.push_back(svFolder);
        }
        vecFolderOf[dwPos] = it->second;
    }
    struct SFolderKey {
        std::string_view svFolder;
        DWORD nId; // here the folder's number, ranked in place of an identifier
    };
    std::vector<SFolderKey> vecOrder;
    vecOrder.reserve(vecFolders.size());
    for (DWORD i = 0; i < vecFolders.size(); ++i) {
        vecOrder.push_back(SFolderKey{vecFolders[i], i});
    }
    const auto Compare = [](const SFolderKey& a, const SFolderKey& b) {
        return _mbscmp(reinterpret_cast<const unsigned char*>(a.svFolder.data()),
                       reinterpret_cast<const unsigned char*>(b.svFolder.data()));
    };
    std::sort(vecOrder.begin(), vecOrder.end(),
              [&](const SFolderKey& a, const SFolderKey& b) { return Compare(a, b) < 0; });
    // Folders that _mbscmp finds equal share a rank.
    std::vector<DWORD> vecRankOf(vecFolders.size(), 0);
    RankSorted(vecOrder, vecRankOf,
               [&](const SFolderKey& a, const SFolderKey& b) { return Compare(a, b) == 0; });
    for (DWORD dwPos = 0; dwPos < dwCount; ++dwPos) {
        const DWORD nId = store.GetAt(dwPos).m_nId;
        if (nId != CFileEntry::kNoId) {
            m_vecRanks[nId] = vecRankOf[vecFolderOf[dwPos]];
        }
    }
}

void CSortKeys::Clear() {
    m_pStore = nullptr;
    CRowArray<DWORD>().swap(m_vecRanks);
    m_dwTopRank = 0;
    m_iColumn = -1;
    m_bBuilt = FALSE;
}
