#include "platform/win32/posix/NameTable.h"

#include <algorithm>

namespace tessaly::win32::detail {
namespace {

bool HashBelow(const auto& name, std::uint64_t uHash) {
    return name.uHash < uHash;
}

bool ByHash(const auto& a, const auto& b) {
    return a.uHash < b.uHash;
}

} // namespace

void NameTable::AddRead(std::uint64_t uHash, std::string_view strName) {
    m_aRead.push_back({uHash, static_cast<std::uint32_t>(m_strArena.size()),
                       static_cast<std::uint32_t>(strName.size()), true});
    m_strArena.append(strName);
    ++m_nLive;
}

void NameTable::SealRead() {
    std::sort(m_aRead.begin(), m_aRead.end(), ByHash<Name, Name>);
}

int NameTable::Add(std::uint64_t uHash, std::string_view strName) {
    const int iSettled = Settle();
    if (Contains(uHash, strName)) {
        return iSettled;
    }
    for (auto it = LowerBound(m_aRead.begin(), uHash); it != m_aRead.end() && it->uHash == uHash;
         ++it) {
        if (!it->bLive && ReadNameOf(*it) == strName) {
            it->bLive = true;
            ++m_nLive;
            return iSettled + 1;
        }
    }
    if (m_aAdded.size() < kListedAdded) {
        if (m_aAdded.capacity() == 0) {
            m_aAdded.reserve(kListedAdded);
            m_strAddedArena.reserve(kListedAdded * 16);
        }
        CompactAdded(strName.size());
        m_aAdded.push_back({uHash, static_cast<std::uint32_t>(m_strAddedArena.size()),
                            static_cast<std::uint32_t>(strName.size()), true});
        m_strAddedArena.append(strName);
    } else {
        m_mapAdded.emplace(uHash, strName);
    }
    ++m_nLive;
    return iSettled + 1;
}

bool NameTable::RemoveLater(std::uint64_t uHash, std::string_view strName) {
    m_aPending.push_back({uHash, static_cast<std::uint32_t>(m_strPendingArena.size()),
                          static_cast<std::uint32_t>(strName.size()), true});
    m_strPendingArena.append(strName);
    return m_aPending.size() >= kMaxPending;
}

int NameTable::Settle() {
    if (m_aPending.empty()) {
        return 0;
    }
    std::sort(m_aPending.begin(), m_aPending.end(), ByHash<Name, Name>);
    // In hash order, each search starts where the last one ended.
    int iChange = 0;
    auto itAt = m_aRead.begin();
    for (const Name& pending : m_aPending) {
        const std::string_view strName =
            std::string_view(m_strPendingArena).substr(pending.uOffset, pending.uLength);
        itAt = LowerBound(itAt, pending.uHash);
        iChange +=
            RemoveRead(itAt, pending.uHash, strName) ? -1 : RemoveAdded(pending.uHash, strName);
    }
    m_aPending.clear();
    m_strPendingArena.clear();
    return iChange;
}

bool NameTable::RemoveRead(std::vector<Name>::iterator itAt, std::uint64_t uHash,
                           std::string_view strName) {
    for (auto it = itAt; it != m_aRead.end() && it->uHash == uHash; ++it) {
        if (it->bLive && ReadNameOf(*it) == strName) {
            it->bLive = false;
            --m_nLive;
            return true;
        }
    }
    return false;
}

int NameTable::RemoveAdded(std::uint64_t uHash, std::string_view strName) {
    for (Name& name : m_aAdded) {
        if (name.uHash == uHash && AddedNameOf(name) == strName) {
            name = m_aAdded.back(); // the order of added names does not matter
            m_aAdded.pop_back();
            --m_nLive;
            return -1;
        }
    }
    const auto [itBegin, itEnd] = m_mapAdded.equal_range(uHash);
    for (auto it = itBegin; it != itEnd; ++it) {
        if (it->second == strName) {
            m_mapAdded.erase(it);
            --m_nLive;
            return -1;
        }
    }
    return 0;
}

std::vector<NameTable::Name>::const_iterator NameTable::LowerBound(std::uint64_t uHash) const {
    return std::lower_bound(m_aRead.begin(), m_aRead.end(), uHash, HashBelow<Name>);
}

std::vector<NameTable::Name>::iterator NameTable::LowerBound(std::vector<Name>::iterator itFrom,
                                                             std::uint64_t uHash) {
    return std::lower_bound(itFrom, m_aRead.end(), uHash, HashBelow<Name>);
}

std::string_view NameTable::ReadNameOf(const Name& name) const {
    return std::string_view(m_strArena).substr(name.uOffset, name.uLength);
}

std::string_view NameTable::AddedNameOf(const Name& name) const {
    return std::string_view(m_strAddedArena).substr(name.uOffset, name.uLength);
}

// Before adding a name of uLength bytes: the bytes of removed names go once the block would
// outgrow its size, which a folder whose names come and go would otherwise grow without end.
void NameTable::CompactAdded(std::size_t uLength) {
    if (m_strAddedArena.size() + uLength <= kAddedArenaBytes) {
        return;
    }
    std::string strKept;
    strKept.reserve(m_strAddedArena.size());
    for (Name& name : m_aAdded) {
        const std::string_view strName = AddedNameOf(name);
        name.uOffset = static_cast<std::uint32_t>(strKept.size());
        strKept.append(strName);
    }
    m_strAddedArena.swap(strKept);
}

bool NameTable::Contains(std::uint64_t uHash, std::string_view strName) const {
    bool bFound = false;
    ForEach(uHash,
            [&](std::string_view strCandidate) { bFound = bFound || strCandidate == strName; });
    return bFound;
}

} // namespace tessaly::win32::detail
