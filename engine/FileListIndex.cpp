#include "engine/FileListIndex.h"

#include <algorithm>

namespace {
// Paths compare as C strings (lstrcmpA), so the key stops at the first 0 byte.
std::string_view PathKey(const CFileEntry& entry) {
    return std::string_view(entry.m_strFullPath.GetString());
}
} // namespace

void CFileListIndex::Clear() {
    m_vecSeqs.clear();
    m_mapPaths.clear();
    m_mapIds.clear();
}

void CFileListIndex::AddHolder(Holder& holder, std::uint64_t ullSeq, bool bNew) {
    if (bNew) {
        holder = Holder{ullSeq, 1};
        return;
    }
    ++holder.dwCount;
    holder.ullSeq = std::min(holder.ullSeq, ullSeq);
}

void CFileListIndex::OnAppend(const CFileEntry& entry) {
    const std::uint64_t ullSeq = m_ullNextSeq++;
    m_vecSeqs.push_back(ullSeq);
    const std::string_view strKey = PathKey(entry);
    auto itPath = m_mapPaths.find(strKey);
    const bool bNewPath = itPath == m_mapPaths.end();
    if (bNewPath) {
        itPath = m_mapPaths.emplace(std::string(strKey), Holder{}).first;
    }
    AddHolder(itPath->second, ullSeq, bNewPath);
    if (entry.m_nId != CFileEntry::kNoId) {
        auto [itId, bNewId] = m_mapIds.try_emplace(entry.m_nId, Holder{});
        AddHolder(itId->second, ullSeq, bNewId);
    }
}

void CFileListIndex::OnIdAssigned(DWORD dwPos, DWORD nId) {
    auto [itId, bNewId] = m_mapIds.try_emplace(nId, Holder{});
    AddHolder(itId->second, m_vecSeqs[dwPos], bNewId);
}

template <typename Map, typename Key, typename Same>
void CFileListIndex::DropHolder(Map& map, const Key& key, DWORD dwPos,
                                const CDynArray<CFileEntry>& aEntries,
                                const std::vector<bool>* pbGone, Same same) {
    auto it = map.find(key);
    if (it == map.end()) {
        return;
    }
    Holder& holder = it->second;
    if (--holder.dwCount == 0) {
        map.erase(it);
        return;
    }
    if (holder.ullSeq != m_vecSeqs[dwPos]) {
        return;
    }
    // The first holder goes: the next one lies behind it (keys occurring twice are rare).
    const DWORD dwCount = static_cast<DWORD>(m_vecSeqs.size());
    for (DWORD i = dwPos + 1; i < dwCount; ++i) {
        if ((pbGone == nullptr || !(*pbGone)[i]) && same(aEntries[i])) {
            holder.ullSeq = m_vecSeqs[i];
            return;
        }
    }
}

void CFileListIndex::Unlink(DWORD dwPos, const CDynArray<CFileEntry>& aEntries,
                            const std::vector<bool>* pbGone) {
    const CFileEntry& entry = aEntries[dwPos];
    const std::string_view strPath = PathKey(entry);
    DropHolder(m_mapPaths, strPath, dwPos, aEntries, pbGone,
               [&](const CFileEntry& other) { return PathKey(other) == strPath; });
    const DWORD nId = entry.m_nId;
    if (nId != CFileEntry::kNoId) {
        DropHolder(m_mapIds, nId, dwPos, aEntries, pbGone,
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

void CFileListIndex::Rebuild(const CDynArray<CFileEntry>& aEntries) {
    Clear();
    const DWORD dwCount = aEntries.GetCount();
    m_vecSeqs.reserve(dwCount);
    m_mapPaths.reserve(dwCount);
    for (DWORD i = 0; i < dwCount; ++i) {
        OnAppend(aEntries[i]);
    }
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
    const auto it = m_mapPaths.find(strPath);
    return it == m_mapPaths.end() ? -1 : PositionOf(it->second.ullSeq);
}

long long CFileListIndex::FindId(DWORD nId) const {
    const auto it = m_mapIds.find(nId);
    return it == m_mapIds.end() ? -1 : PositionOf(it->second.ullSeq);
}
