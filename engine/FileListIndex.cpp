#include "engine/FileListIndex.h"

#include <algorithm>
#include <functional>

namespace {
// Paths compare as C strings (lstrcmpA), so the key stops at the first 0 byte.
std::string_view PathKey(const CFileEntry& entry) {
    return std::string_view(entry.m_strFullPath.GetString());
}

DWORD PathHash(std::string_view strPath) {
    const std::size_t uHash = std::hash<std::string_view>()(strPath);
    return static_cast<DWORD>(uHash ^ (uHash >> 32));
}

constexpr std::size_t kMinSlots = 16;
// A rebuild of this many entries or more adds them in the order of their home slots, sorted by
// this many top bits.
constexpr DWORD kHomeOrderFrom = 4096;
constexpr int kHomeOrderBits = 16;
} // namespace

// ---- the table ----

std::size_t CFileListIndex::CHolderTable::Home(DWORD dwKey) const {
    // Fibonacci hashing spreads consecutive identifiers; the product's share of 2^32 then picks
    // the slot, so the table can be any size.
    const std::uint32_t uMixed = HomeOrder(dwKey);
    return static_cast<std::size_t>((static_cast<std::uint64_t>(uMixed) * m_vecSlots.size()) >> 32);
}

std::size_t CFileListIndex::CHolderTable::Next(std::size_t i) const {
    return i + 1 == m_vecSlots.size() ? 0 : i + 1;
}

void CFileListIndex::CHolderTable::Prefetch(DWORD dwKey) const {
    if (m_vecSlots.empty()) {
        return;
    }
    // A find of a key that is not there reads on to the next free slot: some eight slots when the
    // table is three quarters full, so the lines after the home slot's are fetched too.
    constexpr std::size_t kSlotsFetched = 12;
    constexpr std::size_t kSlotsALine = 64 / sizeof(Slot);
    const std::size_t uHome = Home(dwKey);
    const std::size_t uEnd = std::min(uHome + kSlotsFetched, m_vecSlots.size());
    for (std::size_t i = uHome; i < uEnd; i += kSlotsALine) {
        __builtin_prefetch(&m_vecSlots[i]);
    }
}

template <typename Same>
CFileListIndex::CHolderTable::Slot* CFileListIndex::CHolderTable::Find(DWORD dwKey,
                                                                       Same same) const {
    if (m_vecSlots.empty()) {
        return nullptr;
    }
    for (std::size_t i = Home(dwKey);; i = Next(i)) {
        const Slot& slot = m_vecSlots[i];
        if (slot.dwCount == 0) {
            return nullptr;
        }
        if (slot.dwKey == dwKey && same(slot)) {
            return const_cast<Slot*>(&slot);
        }
    }
}

template <typename Same>
CFileListIndex::CHolderTable::Slot& CFileListIndex::CHolderTable::FindOrAdd(DWORD dwKey,
                                                                            Same same) {
    // At most three quarters full, so that a probe ends soon; half as large again when it is.
    if ((m_uUsed + 1) * 4 > m_vecSlots.size() * 3) {
        Resize(std::max(kMinSlots, m_vecSlots.size() + m_vecSlots.size() / 2));
    }
    for (std::size_t i = Home(dwKey);; i = Next(i)) {
        Slot& slot = m_vecSlots[i];
        if (slot.dwCount == 0) {
            slot = Slot{0, 0, dwKey};
            ++m_uUsed;
            return slot;
        }
        if (slot.dwKey == dwKey && same(slot)) {
            return slot;
        }
    }
}

void CFileListIndex::CHolderTable::Erase(Slot* pSlot) {
    std::size_t uHole = static_cast<std::size_t>(pSlot - m_vecSlots.data());
    // Later slots of the same run move back into the hole unless their home lies after it.
    for (std::size_t j = Next(uHole); m_vecSlots[j].dwCount != 0; j = Next(j)) {
        const std::size_t uHome = Home(m_vecSlots[j].dwKey);
        const bool bStays =
            uHole <= j ? (uHole < uHome && uHome <= j) : (uHome > uHole || uHome <= j);
        if (!bStays) {
            m_vecSlots[uHole] = m_vecSlots[j];
            uHole = j;
        }
    }
    m_vecSlots[uHole].dwCount = 0;
    --m_uUsed;
}

void CFileListIndex::CHolderTable::Clear() {
    SlotArray().swap(m_vecSlots);
    m_uUsed = 0;
}

void CFileListIndex::CHolderTable::Empty() {
    std::fill(m_vecSlots.begin(), m_vecSlots.end(), Slot{0, 0, 0});
    m_uUsed = 0;
}

void CFileListIndex::CHolderTable::Reserve(std::size_t uKeys) {
    const std::size_t uSlots = std::max(kMinSlots, uKeys + uKeys / 3 + 1);
    if (uSlots > m_vecSlots.size()) {
        Resize(uSlots);
    }
}

void CFileListIndex::CHolderTable::Resize(std::size_t uSlots) {
    SlotArray vecOld(uSlots, Slot{0, 0, 0});
    vecOld.swap(m_vecSlots);
    for (const Slot& slot : vecOld) {
        if (slot.dwCount == 0) {
            continue;
        }
        std::size_t i = Home(slot.dwKey);
        while (m_vecSlots[i].dwCount != 0) {
            i = Next(i);
        }
        m_vecSlots[i] = slot;
    }
}

// ---- the index ----

void CFileListIndex::Clear() {
    m_vecSeqs.clear();
    m_paths.Clear();
    m_ids.Clear();
    m_bIdsLive = false;
}

const CFileEntry& CFileListIndex::HolderOf(const Slot& slot) const {
    return m_aEntries[static_cast<DWORD>(PositionOf(slot.ullSeq))];
}

void CFileListIndex::AddHolder(Slot& slot, std::uint64_t ullSeq) {
    if (slot.dwCount++ == 0) {
        slot.ullSeq = ullSeq;
        return;
    }
    slot.ullSeq = std::min(slot.ullSeq, ullSeq);
}

void CFileListIndex::AddId(DWORD nId, std::uint64_t ullSeq) const {
    AddHolder(m_ids.FindOrAdd(nId, [](const Slot&) { return true; }), ullSeq);
}

void CFileListIndex::OnAppend(const CFileEntry& entry) {
    const std::uint64_t ullSeq = m_ullNextSeq++;
    m_vecSeqs.push_back(ullSeq);
    const std::string_view strKey = PathKey(entry);
    AddHolder(
        m_paths.FindOrAdd(PathHash(strKey),
                          [&](const Slot& slot) { return PathKey(HolderOf(slot)) == strKey; }),
        ullSeq);
    if (m_bIdsLive && entry.m_nId != CFileEntry::kNoId) {
        AddId(entry.m_nId, ullSeq);
    }
}

void CFileListIndex::OnIdAssigned(DWORD dwPos, DWORD nId) {
    if (m_bIdsLive) {
        AddId(nId, m_vecSeqs[dwPos]);
    }
}

template <typename Same>
void CFileListIndex::DropHolder(CHolderTable& table, Slot* pSlot, DWORD dwPos,
                                const std::vector<bool>* pbGone, Same same) {
    if (pSlot == nullptr) {
        return;
    }
    if (--pSlot->dwCount == 0) {
        table.Erase(pSlot);
        return;
    }
    if (pSlot->ullSeq != m_vecSeqs[dwPos]) {
        return;
    }
    // The first holder goes: the next one lies behind it (keys occurring twice are rare).
    const DWORD dwCount = static_cast<DWORD>(m_vecSeqs.size());
    for (DWORD i = dwPos + 1; i < dwCount; ++i) {
        if ((pbGone == nullptr || !(*pbGone)[i]) && same(m_aEntries[i])) {
            pSlot->ullSeq = m_vecSeqs[i];
            return;
        }
    }
}

void CFileListIndex::Unlink(DWORD dwPos, const std::vector<bool>* pbGone) {
    const CFileEntry& entry = m_aEntries[dwPos];
    const std::string_view strPath = PathKey(entry);
    Slot* pPath = m_paths.Find(
        PathHash(strPath), [&](const Slot& slot) { return PathKey(HolderOf(slot)) == strPath; });
    DropHolder(m_paths, pPath, dwPos, pbGone,
               [&](const CFileEntry& other) { return PathKey(other) == strPath; });
    const DWORD nId = entry.m_nId;
    if (m_bIdsLive && nId != CFileEntry::kNoId) {
        Slot* pId = m_ids.Find(nId, [](const Slot&) { return true; });
        DropHolder(m_ids, pId, dwPos, pbGone,
                   [nId](const CFileEntry& other) { return other.m_nId == nId; });
    }
}

void CFileListIndex::ErasePosition(DWORD dwPos) {
    m_vecSeqs.erase(m_vecSeqs.begin() + static_cast<std::ptrdiff_t>(dwPos));
}

void CFileListIndex::ErasePositions(const std::vector<bool>& pbGone) {
    std::size_t uKept = 0;
    for (std::size_t i = 0; i < m_vecSeqs.size(); ++i) {
        if (!pbGone[i]) {
            m_vecSeqs[uKept++] = m_vecSeqs[i];
        }
    }
    m_vecSeqs.resize(uKept);
}

void CFileListIndex::Rebuild() {
    m_ids.Clear();
    m_bIdsLive = false;
    const DWORD dwCount = m_aEntries.GetCount();
    m_vecSeqs.clear();
    m_vecSeqs.reserve(dwCount);
    // The path table keeps its memory (after a removal it is large enough): fresh pages cost
    // more than emptying the slots.
    m_paths.Empty();
    m_paths.Reserve(dwCount);
    if (dwCount < kHomeOrderFrom) {
        for (DWORD i = 0; i < dwCount; ++i) {
            m_vecSeqs.push_back(m_ullNextSeq++);
            AddPath(i);
        }
        return;
    }
    // The paths' hashes in store order, then the paths added in the order of their home slots
    // (a counting sort by the top bits), so that the additions walk the table once: added in
    // store order, each landed anywhere in a table larger than the caches.
    struct SPending {
        DWORD dwKey;
        DWORD dwPos;
    };
    constexpr int kShift = 32 - kHomeOrderBits;
    tessaly::framework::LargeVector<SPending> vecPending(dwCount);
    std::vector<DWORD> vecStarts((std::size_t{1} << kHomeOrderBits) + 1, 0);
    for (DWORD i = 0; i < dwCount; ++i) {
        m_vecSeqs.push_back(m_ullNextSeq++);
        const DWORD dwKey = PathHash(PathKey(m_aEntries[i]));
        vecPending[i] = SPending{dwKey, i};
        ++vecStarts[(CHolderTable::HomeOrder(dwKey) >> kShift) + 1];
    }
    for (std::size_t b = 1; b < vecStarts.size(); ++b) {
        vecStarts[b] += vecStarts[b - 1];
    }
    tessaly::framework::LargeVector<SPending> vecOrdered(dwCount);
    for (const SPending& pending : vecPending) {
        vecOrdered[vecStarts[CHolderTable::HomeOrder(pending.dwKey) >> kShift]++] = pending;
    }
    // Numbered in store order above: position i has the first number plus i.
    const std::uint64_t ullFirstSeq = m_vecSeqs.front();
    for (const SPending& pending : vecOrdered) {
        AddPath(pending.dwPos, pending.dwKey, ullFirstSeq + pending.dwPos);
    }
}

void CFileListIndex::AddPath(DWORD dwPos) {
    AddPath(dwPos, PathHash(PathKey(m_aEntries[dwPos])), m_vecSeqs[dwPos]);
}

void CFileListIndex::AddPath(DWORD dwPos, DWORD dwKey, std::uint64_t ullSeq) {
    // The entry's path is read only where another path has the same hash.
    AddHolder(m_paths.FindOrAdd(dwKey,
                                [&](const Slot& slot) {
                                    return PathKey(HolderOf(slot)) == PathKey(m_aEntries[dwPos]);
                                }),
              ullSeq);
}

void CFileListIndex::BuildIds() const {
    m_ids.Clear();
    const DWORD dwCount = static_cast<DWORD>(m_vecSeqs.size());
    m_ids.Reserve(dwCount);
    for (DWORD i = 0; i < dwCount; ++i) {
        if (m_aEntries[i].m_nId != CFileEntry::kNoId) {
            AddId(m_aEntries[i].m_nId, m_vecSeqs[i]);
        }
    }
    m_bIdsLive = true;
}

long long CFileListIndex::PositionOf(std::uint64_t ullSeq) const {
    if (m_vecSeqs.empty()) {
        return 0;
    }
    // Numbers rise by at least one per position, so ullSeq lies at or below position
    // ullSeq - first; it lies exactly there until something is removed. Searching down from that
    // bound in doubling steps touches a few nearby slots, where a binary search over a million
    // numbers would miss the cache a dozen times.
    const std::size_t uLast = m_vecSeqs.size() - 1;
    const std::uint64_t ullBound = ullSeq - m_vecSeqs.front();
    std::size_t uHi = ullBound < uLast ? static_cast<std::size_t>(ullBound) : uLast;
    if (m_vecSeqs[uHi] == ullSeq) {
        return static_cast<long long>(uHi);
    }
    std::size_t uLo = uHi;
    for (std::size_t uStep = 1; uLo > 0; uStep *= 2) {
        uLo = uHi > uStep ? uHi - uStep : 0;
        if (m_vecSeqs[uLo] <= ullSeq) {
            break;
        }
        uHi = uLo;
    }
    const auto itBegin = m_vecSeqs.begin();
    const auto it = std::lower_bound(itBegin + static_cast<std::ptrdiff_t>(uLo),
                                     itBegin + static_cast<std::ptrdiff_t>(uHi) + 1, ullSeq);
    return it - itBegin;
}

long long CFileListIndex::FindPath(std::string_view strPath) const {
    const Slot* pSlot = m_paths.Find(
        PathHash(strPath), [&](const Slot& slot) { return PathKey(HolderOf(slot)) == strPath; });
    return pSlot == nullptr ? -1 : PositionOf(pSlot->ullSeq);
}

void CFileListIndex::PrefetchPath(std::string_view strPath) const {
    m_paths.Prefetch(PathHash(strPath));
}

long long CFileListIndex::FindId(DWORD nId) const {
    if (!m_bIdsLive) {
        BuildIds();
    }
    const Slot* pSlot = m_ids.Find(nId, [](const Slot&) { return true; });
    return pSlot == nullptr ? -1 : PositionOf(pSlot->ullSeq);
}
