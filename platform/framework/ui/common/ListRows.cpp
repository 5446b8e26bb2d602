#include "platform/framework/ui/common/ListRows.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace tessaly::framework::detail {

ListCellTexts& ListCellTexts::operator=(ListCellTexts&& other) noexcept {
    if (this != &other) {
        Free();
        m_uBlock = other.m_uBlock;
        other.m_uBlock = 0;
    }
    return *this;
}

ListCellTexts::~ListCellTexts() {
    Free();
}

void ListCellTexts::Free() noexcept {
    if ((m_uBlock & kInSlab) == 0) {
        delete[] reinterpret_cast<char*>(m_uBlock);
    }
    m_uBlock = 0;
}

namespace {

// The block's first two bytes: the count, with the top bit set where the ends take four bytes each
// (texts of 64 KiB or more together); otherwise two, which a row of a file list always fits.
constexpr std::uint16_t kWideEnds = 0x8000;

std::uint16_t ReadUInt16(const char* pc) {
    std::uint16_t u = 0;
    std::memcpy(&u, pc, sizeof u);
    return u;
}

std::uint32_t ReadUInt32(const char* pc) {
    std::uint32_t u = 0;
    std::memcpy(&u, pc, sizeof u);
    return u;
}

} // namespace

size_t ListCellTexts::Count() const {
    return m_uBlock == 0 ? 0 : ReadUInt16(Block()) & ~kWideEnds;
}

std::string_view ListCellTexts::Get(size_t nCol) const {
    const size_t nCount = Count();
    if (nCol >= nCount) {
        return std::string_view("", 0);
    }
    const char* pcBlock = Block();
    const bool bWide = (ReadUInt16(pcBlock) & kWideEnds) != 0;
    const size_t nWidth = bWide ? 4 : 2;
    const char* pcEnds = pcBlock + nWidth; // a wide block pads the count to four bytes
    const auto End = [&](size_t i) -> size_t {
        return bWide ? ReadUInt32(pcEnds + 4 * i) : ReadUInt16(pcEnds + 2 * i);
    };
    const char* pcData = pcEnds + nWidth * nCount;
    const size_t nStart = nCol == 0 ? 0 : End(nCol - 1) + 1; // after the previous one's 0
    return std::string_view(pcData + nStart, End(nCol) - nStart);
}

const char* ListCellTexts::CStr(size_t nCol) const {
    return Get(nCol).data();
}

std::vector<std::string_view> ListCellTexts::Views() const {
    std::vector<std::string_view> vecViews(Count());
    for (size_t i = 0; i < vecViews.size(); ++i) {
        vecViews[i] = Get(i);
    }
    return vecViews;
}

void ListCellTexts::Assign(const std::string_view* aTexts, size_t nCount) {
    Write(nullptr, aTexts, nCount);
}

void ListCellTexts::AssignIn(ListSlabs& slabs, const std::string_view* aTexts, size_t nCount) {
    Write(&slabs, aTexts, nCount);
}

void ListCellTexts::Write(ListSlabs* pSlabs, const std::string_view* aTexts, size_t nCount) {
    nCount = std::min<size_t>(nCount, kWideEnds - 1);
    if (nCount == 0) {
        Free();
        return;
    }
    size_t nBytes = 0;
    for (size_t i = 0; i < nCount; ++i) {
        nBytes += aTexts[i].size() + 1;
    }
    const bool bWide = nBytes > 0xFFFF;
    const size_t nWidth = bWide ? 4 : 2;
    const size_t nHeader = nWidth * (nCount + 1);
    const bool bInSlab = pSlabs != nullptr && nHeader + nBytes <= ListSlabs::kLargestBlock;
    char* pBlock = bInSlab ? pSlabs->Allocate(nHeader + nBytes) : new char[nHeader + nBytes];
    const auto uCount = static_cast<std::uint16_t>(nCount | (bWide ? kWideEnds : 0));
    std::memcpy(pBlock, &uCount, sizeof uCount);
    char* pcEnds = pBlock + nWidth;
    char* pcOut = pBlock + nHeader;
    size_t nAt = 0;
    for (size_t i = 0; i < nCount; ++i) {
        if (!aTexts[i].empty()) { // an empty view's data may be null
            std::memcpy(pcOut + nAt, aTexts[i].data(), aTexts[i].size());
        }
        nAt += aTexts[i].size();
        // The text's end, where its 0 is.
        if (bWide) {
            const auto uEnd = static_cast<std::uint32_t>(nAt);
            std::memcpy(pcEnds + 4 * i, &uEnd, sizeof uEnd);
        } else {
            const auto uEnd = static_cast<std::uint16_t>(nAt);
            std::memcpy(pcEnds + 2 * i, &uEnd, sizeof uEnd);
        }
        pcOut[nAt++] = '\0';
    }
    // The old block goes last: the texts may have been read from it.
    Free();
    m_uBlock = reinterpret_cast<std::uintptr_t>(pBlock) | (bInSlab ? kInSlab : 0);
}

void ListCellTexts::Set(size_t nCol, std::string_view strText) {
    std::vector<std::string_view> vecViews = Views();
    if (vecViews.size() <= nCol) {
        vecViews.resize(nCol + 1, std::string_view("", 0));
    }
    vecViews[nCol] = strText;
    Assign(vecViews.data(), vecViews.size());
}

void ListCellTexts::InsertEmpty(size_t nCol) {
    std::vector<std::string_view> vecViews = Views();
    if (nCol >= vecViews.size()) {
        return;
    }
    vecViews.insert(vecViews.begin() + static_cast<std::ptrdiff_t>(nCol), std::string_view("", 0));
    Assign(vecViews.data(), vecViews.size());
}

int ListRows::InsertColumn(int nCol, const std::string& strText, int nFormat) {
    if (nCol < 0) {
        return -1;
    }
    nCol = std::min(nCol, ColumnCount());
    m_vecColumns.insert(m_vecColumns.begin() + nCol, ListColumn{strText, nFormat});
    // Texts already set move with their columns.
    for (ListRow& row : m_vecRows) {
        row.texts.InsertEmpty(static_cast<size_t>(nCol));
    }
    return nCol;
}

bool ListRows::SetColumnText(int nCol, const std::string& strText) {
    if (!IsValidColumn(nCol)) {
        return false;
    }
    m_vecColumns[static_cast<size_t>(nCol)].strText = strText;
    return true;
}

bool ListRows::SetColumnFormat(int nCol, int nFormat) {
    if (!IsValidColumn(nCol)) {
        return false;
    }
    m_vecColumns[static_cast<size_t>(nCol)].nFormat = nFormat;
    return true;
}

std::string_view ListRows::TextAt(int nRow, int nCol) const {
    if (!IsValid(nRow) || nCol < 0) {
        return std::string_view("", 0);
    }
    return At(nRow).texts.Get(static_cast<size_t>(nCol));
}

int ListRows::Insert(int nRow, ListRow row) {
    if (nRow < 0) {
        return -1;
    }
    nRow = std::min(nRow, Count());
    if (row.bSelected) {
        ++m_nSelected;
    }
    m_vecRows.insert(m_vecRows.begin() + nRow, std::move(row));
    return nRow;
}

void ListRows::Append(int nRows, const std::function<void(int, LPCTSTR*, LPARAM&, int&)>& fnRow) {
    const auto nColumns = static_cast<size_t>(std::max(ColumnCount(), 1));
    std::vector<LPCTSTR> vecTexts(nColumns);
    std::vector<std::string_view> vecViews(nColumns);
    if (m_vecRows.capacity() < m_vecRows.size() + static_cast<size_t>(std::max(nRows, 0))) {
        m_vecRows.reserve(
            std::max(m_vecRows.size() + static_cast<size_t>(nRows), m_vecRows.capacity() * 3 / 2));
    }
    for (int i = 0; i < nRows; ++i) {
        std::fill(vecTexts.begin(), vecTexts.end(), nullptr);
        ListRow& row = m_vecRows.emplace_back();
        fnRow(i, vecTexts.data(), row.lParam, row.iImage);
        for (size_t c = 0; c < nColumns; ++c) {
            vecViews[c] = vecTexts[c] != nullptr ? std::string_view(vecTexts[c]) : "";
        }
        row.texts.AssignIn(m_slabs, vecViews.data(), nColumns);
    }
}

bool ListRows::SetText(int nRow, int nCol, std::string_view strText) {
    if (!IsValid(nRow) || !IsValidColumn(nCol)) {
        return false;
    }
    m_vecRows[static_cast<size_t>(nRow)].texts.Set(static_cast<size_t>(nCol), strText);
    return true;
}

bool ListRows::SetImage(int nRow, int iImage) {
    if (!IsValid(nRow)) {
        return false;
    }
    m_vecRows[static_cast<size_t>(nRow)].iImage = iImage;
    return true;
}

bool ListRows::SetData(int nRow, LPARAM lParam) {
    if (!IsValid(nRow)) {
        return false;
    }
    m_vecRows[static_cast<size_t>(nRow)].lParam = lParam;
    return true;
}

bool ListRows::SetSelected(int nRow, bool bSelected) {
    if (nRow == -1) {
        for (ListRow& row : m_vecRows) {
            row.bSelected = bSelected;
        }
        m_nSelected = bSelected ? static_cast<unsigned>(m_vecRows.size()) : 0;
        return true;
    }
    if (!IsValid(nRow)) {
        return false;
    }
    bool& bRow = m_vecRows[static_cast<size_t>(nRow)].bSelected;
    if (bRow != bSelected) {
        bRow = bSelected;
        if (bSelected) {
            ++m_nSelected;
        } else {
            --m_nSelected;
        }
    }
    return true;
}

int ListRows::Next(int nRow, bool bSelectedOnly) const {
    if (bSelectedOnly && m_nSelected == 0) {
        return -1;
    }
    for (int i = std::max(nRow + 1, 0); i < Count(); ++i) {
        if (!bSelectedOnly || At(i).bSelected) {
            return i;
        }
    }
    return -1;
}

bool ListRows::Erase(int nRow) {
    if (!IsValid(nRow)) {
        return false;
    }
    if (At(nRow).bSelected) {
        --m_nSelected;
    }
    // Rows are mostly deleted from the end, one by one (a folder left for a smaller one): the
    // next one's texts, freed next, are fetched now, as after a sort they lie anywhere on the heap.
    if (nRow > 0) {
        if (const char* pcNext = At(nRow - 1).texts.OwnedBlock()) {
            __builtin_prefetch(pcNext - 2 * sizeof(size_t)); // the heap's header of the block
        }
    }
    m_vecRows.erase(m_vecRows.begin() + nRow);
    return true;
}

void ListRows::Clear(ListRowArray* pvecTaken, ListSlabs* pSlabs) {
    if (pvecTaken != nullptr) {
        pvecTaken->swap(m_vecRows);
    }
    // The rows go before their slabs.
    ListRowArray().swap(m_vecRows);
    if (pSlabs != nullptr) {
        pSlabs->Swap(m_slabs);
    }
    m_slabs.Release();
    m_nSelected = 0;
}

void ListRows::Reserve(int nRows) {
    if (nRows > 0) {
        m_vecRows.reserve(static_cast<size_t>(nRows));
    }
}

bool ListRows::MarkListed(const std::vector<int>& vecRows, std::vector<bool>* pvecGone) const {
    std::vector<bool> vecGone(m_vecRows.size(), false);
    for (int nRow : vecRows) {
        if (!IsValid(nRow)) {
            return false;
        }
        vecGone[static_cast<size_t>(nRow)] = true;
    }
    *pvecGone = std::move(vecGone);
    return true;
}

void ListRows::EraseMarked(const std::vector<bool>& vecGone,
                           std::vector<ListCellTexts>* pvecTexts) {
    size_t nKept = 0;
    for (size_t i = 0; i < m_vecRows.size(); ++i) {
        if (i < vecGone.size() && vecGone[i]) {
            if (m_vecRows[i].bSelected) {
                --m_nSelected;
            }
            if (pvecTexts != nullptr && m_vecRows[i].texts.OwnsBlock()) {
                pvecTexts->push_back(std::move(m_vecRows[i].texts));
            }
            continue;
        }
        if (nKept != i) {
            m_vecRows[nKept] = std::move(m_vecRows[i]);
        }
        ++nKept;
    }
    m_vecRows.resize(nKept);
}

std::vector<int> ListRows::Sort(PFNLVCOMPARE pfnCompare, LPARAM lParamSort) {
    // Each row's item data beside its index, so that a comparison reads neither row: the rows
    // lie far apart in memory, and a sort of a million compares some twenty million pairs.
    struct SKey {
        LPARAM lParam;
        int iRow;
    };
    std::vector<SKey> vecKeys(m_vecRows.size());
    for (size_t i = 0; i < m_vecRows.size(); ++i) {
        vecKeys[i] = SKey{m_vecRows[i].lParam, static_cast<int>(i)};
    }
    std::stable_sort(vecKeys.begin(), vecKeys.end(), [&](const SKey& a, const SKey& b) {
        return pfnCompare(a.lParam, b.lParam, lParamSort) < 0;
    });
    std::vector<int> vecOrder(m_vecRows.size());
    ListRowArray vecSorted;
    vecSorted.reserve(m_vecRows.size());
    for (size_t i = 0; i < vecKeys.size(); ++i) {
        vecOrder[i] = vecKeys[i].iRow;
        vecSorted.push_back(std::move(m_vecRows[static_cast<size_t>(vecKeys[i].iRow)]));
    }
    m_vecRows = std::move(vecSorted);
    return vecOrder;
}

void ListRows::AllData(std::vector<DWORD_PTR>* pvecData) const {
    pvecData->resize(m_vecRows.size());
    for (size_t i = 0; i < m_vecRows.size(); ++i) {
        (*pvecData)[i] = static_cast<DWORD_PTR>(m_vecRows[i].lParam);
    }
}

void ListRows::Selected(std::vector<int>* pvecRows, std::vector<DWORD_PTR>* pvecData) const {
    pvecRows->clear();
    pvecData->clear();
    pvecRows->reserve(m_nSelected);
    pvecData->reserve(m_nSelected);
    for (int i = 0; i < Count() && pvecRows->size() < m_nSelected; ++i) {
        if (At(i).bSelected) {
            pvecRows->push_back(i);
            pvecData->push_back(static_cast<DWORD_PTR>(At(i).lParam));
        }
    }
}

// How far ahead the reorder asks for the rows it will move: each lies anywhere in the array.
constexpr size_t kPrefetchAhead = 16;

bool ListRows::Reorder(std::span<const int> vecOrder, ListRowArray* pvecSpare) {
    if (vecOrder.size() != m_vecRows.size()) {
        return false;
    }
    std::vector<bool> vecSeen(m_vecRows.size(), false);
    for (int nRow : vecOrder) {
        if (!IsValid(nRow) || vecSeen[static_cast<size_t>(nRow)]) {
            return false;
        }
        vecSeen[static_cast<size_t>(nRow)] = true;
    }
    // Gathered into the spare array: independent moves, where following the permutation's cycles
    // in place waits on one cache miss after another.
    pvecSpare->resize(m_vecRows.size());
    for (size_t i = 0; i < vecOrder.size(); ++i) {
        if (i + kPrefetchAhead < vecOrder.size()) {
            __builtin_prefetch(&m_vecRows[static_cast<size_t>(vecOrder[i + kPrefetchAhead])], 1);
        }
        (*pvecSpare)[i] = std::move(m_vecRows[static_cast<size_t>(vecOrder[i])]);
    }
    m_vecRows.swap(*pvecSpare);
    return true;
}

} // namespace tessaly::framework::detail
