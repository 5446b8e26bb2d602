#include "picker/core/FindDataTable.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <utility>

namespace {
constexpr unsigned kChunkBits = 20;
constexpr std::uint64_t kChunkSize = std::uint64_t{1} << kChunkBits;
constexpr std::uint64_t kPoolLimit = std::uint64_t{1} << 32;

// The elements from iFirst on become those at aiOrder's positions, in that order.
template <typename T>
void PlaceInOrder(std::vector<T>& vec, int iFirst, const std::vector<int>& aiOrder) {
    std::vector<T> vecPlaced;
    vecPlaced.reserve(aiOrder.size());
    for (int iFrom : aiOrder) {
        vecPlaced.push_back(vec[static_cast<size_t>(iFrom)]);
    }
    std::copy(vecPlaced.begin(), vecPlaced.end(), vec.begin() + iFirst);
}
} // namespace

CFindDataTable::CFindDataTable() : m_vecRecords(kInitialSize) {
    // vector value-initialises, which zero-fills the records: every one has the empty name at 0.
    m_vecChunks.emplace_back(new char[kChunkSize]);
    m_vecChunks[0][0] = '\0';
    m_ullPoolEnd = 1;
}

const char* CFindDataTable::NameAt(std::uint32_t uOffset) const {
    return &m_vecChunks[uOffset >> kChunkBits][uOffset & (kChunkSize - 1)];
}

BOOL CFindDataTable::AddName(const char* pcName, size_t uMax, std::uint32_t& uOffset) {
    const size_t uLen = strnlen(pcName, uMax);
    if (uLen == 0) {
        uOffset = 0;
        return TRUE;
    }
    std::uint64_t ullAt = m_ullPoolEnd;
    if ((ullAt & (kChunkSize - 1)) + uLen + 1 > kChunkSize) {
        ullAt = (ullAt | (kChunkSize - 1)) + 1;
    }
    if (ullAt + uLen + 1 > kPoolLimit) {
        return FALSE;
    }
    while ((ullAt >> kChunkBits) >= m_vecChunks.size()) {
        // Left uninitialised: pages the names never reach cost nothing.
        m_vecChunks.emplace_back(new char[kChunkSize]);
    }
    char* pcOut = &m_vecChunks[ullAt >> kChunkBits][ullAt & (kChunkSize - 1)];
    std::memcpy(pcOut, pcName, uLen);
    pcOut[uLen] = '\0';
    uOffset = static_cast<std::uint32_t>(ullAt);
    m_ullPoolEnd = ullAt + uLen + 1;
    return TRUE;
}

BOOL CFindDataTable::SetAt(int iIndex, const WIN32_FIND_DATAA& data) {
    if (iIndex < 0) {
        return FALSE;
    }
    m_vecOrigins.clear();
    const size_t uIndex = static_cast<size_t>(iIndex);
    if (uIndex < m_vecRecords.size()) {
        // A folder listed again overwrites the names of the last listing.
        const Record& old = m_vecRecords[uIndex];
        m_ullOverwritten += old.uName == 0 ? 0 : std::strlen(NameAt(old.uName)) + 1;
        m_ullOverwritten += old.uAltName == 0 ? 0 : std::strlen(NameAt(old.uAltName)) + 1;
        CompactIfWasteful();
    }
    Record rec{data.dwFileAttributes,
               data.ftCreationTime,
               data.ftLastAccessTime,
               data.ftLastWriteTime,
               data.nFileSizeHigh,
               data.nFileSizeLow,
               data.dwReserved0,
               data.dwReserved1,
               0,
               0};
    // A name filling its whole buffer without terminator is cut to leave room for one.
    if (!AddName(data.cFileName, sizeof data.cFileName - 1, rec.uName) ||
        !AddName(data.cAlternateFileName, sizeof data.cAlternateFileName - 1, rec.uAltName)) {
        return FALSE;
    }
    if (uIndex >= m_vecRecords.size()) {
        const size_t uNeeded = uIndex + 1;
        if (uNeeded > m_uCapacity) {
            const size_t uStep = m_uCapacity + kGrowStep;
            m_uCapacity = uNeeded > uStep ? uNeeded : uStep;
        }
        m_vecRecords.resize(uNeeded);
    }
    m_vecRecords[uIndex] = rec;
    return TRUE;
}

WIN32_FIND_DATAA CFindDataTable::GetAt(int iIndex) const {
    const Record& rec = Rec(iIndex);
    WIN32_FIND_DATAA data{};
    data.dwFileAttributes = rec.dwFileAttributes;
    data.ftCreationTime = rec.ftCreationTime;
    data.ftLastAccessTime = rec.ftLastAccessTime;
    data.ftLastWriteTime = rec.ftLastWriteTime;
    data.nFileSizeHigh = rec.nFileSizeHigh;
    data.nFileSizeLow = rec.nFileSizeLow;
    data.dwReserved0 = rec.dwReserved0;
    data.dwReserved1 = rec.dwReserved1;
    // The pool holds at most the buffer's size less its terminator.
    std::strcpy(data.cFileName, NameAt(rec.uName));
    std::strcpy(data.cAlternateFileName, NameAt(rec.uAltName));
    return data;
}

void CFindDataTable::Swap(int iIndex1, int iIndex2) {
    std::swap(m_vecRecords[static_cast<size_t>(iIndex1)],
              m_vecRecords[static_cast<size_t>(iIndex2)]);
    if (!m_vecOrigins.empty()) {
        std::swap(m_vecOrigins[static_cast<size_t>(iIndex1)],
                  m_vecOrigins[static_cast<size_t>(iIndex2)]);
    }
}

void CFindDataTable::Reorder(int iFirst, const std::vector<int>& aiOrder) {
    PlaceInOrder(m_vecRecords, iFirst, aiOrder);
    if (!m_vecOrigins.empty()) {
        PlaceInOrder(m_vecOrigins, iFirst, aiOrder);
    }
}

void CFindDataTable::TrackOrigins() {
    m_vecOrigins.resize(m_vecRecords.size());
    std::iota(m_vecOrigins.begin(), m_vecOrigins.end(), 0);
}

std::vector<int> CFindDataTable::TakeOrigins() {
    return std::exchange(m_vecOrigins, {});
}

void CFindDataTable::CopyRecord(int iTo, int iFrom) {
    m_vecOrigins.clear();
    // Both records then read the same names, which compaction copies for each.
    m_vecRecords[static_cast<size_t>(iTo)] = m_vecRecords[static_cast<size_t>(iFrom)];
}

void CFindDataTable::RemoveAt(int iIndex) {
    if (iIndex < 0 || static_cast<size_t>(iIndex) >= m_vecRecords.size()) {
        return;
    }
    m_vecOrigins.clear();
    m_vecRecords.erase(m_vecRecords.begin() + iIndex);
}

void CFindDataTable::CompactIfWasteful() {
    if (m_ullOverwritten < kChunkSize || m_ullOverwritten * 2 < m_ullPoolEnd) {
        return;
    }
    CFindDataTable fresh;
    fresh.m_vecRecords.swap(m_vecRecords);
    fresh.m_uCapacity = m_uCapacity;
    for (Record& rec : fresh.m_vecRecords) {
        // The names were stored within their limits, so the fresh pool takes them whole.
        if (rec.uName != 0) {
            fresh.AddName(NameAt(rec.uName), MAX_PATH - 1, rec.uName);
        }
        if (rec.uAltName != 0) {
            fresh.AddName(NameAt(rec.uAltName), sizeof(WIN32_FIND_DATAA::cAlternateFileName) - 1,
                          rec.uAltName);
        }
    }
    *this = std::move(fresh);
}
