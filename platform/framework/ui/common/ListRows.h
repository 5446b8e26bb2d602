// The rows of a report-view list as the program sees them, the same on every window system:
// column headings, and per row the texts in CP932 (converted only when a cell is shown), item
// data, image and selection. The window systems keep their views in step with it.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/framework/core/LargeMemory.h"
#include "platform/framework/ui/WinUser.h"

namespace tessaly::framework::detail {

struct ListColumn {
    std::string strText; // CP932
    int nFormat = LVCFMT_LEFT;
};

// One row's texts (CP932, one per column as far as set, 32,767 at most) in a single block: their
// count, where each ends, then the texts, each followed by a 0. A row then costs one allocation,
// where a vector of strings cost one for the vector and one for each text longer than a few bytes.
// Rows added in bulk take their blocks from the list's slabs instead, which free them all at once:
// such a block is never freed by its row, and may be gone before the row is.
class ListCellTexts {
public:
    ListCellTexts() = default;
    ListCellTexts(ListCellTexts&& other) noexcept : m_uBlock(other.m_uBlock) { other.m_uBlock = 0; }
    ListCellTexts& operator=(ListCellTexts&& other) noexcept;
    ListCellTexts(const ListCellTexts&) = delete;
    ListCellTexts& operator=(const ListCellTexts&) = delete;
    ~ListCellTexts();

    size_t Count() const;
    // Empty (and 0-terminated) beyond the texts set.
    std::string_view Get(size_t nCol) const;
    const char* CStr(size_t nCol) const;
    // Cells between the last one set and nCol become empty.
    void Set(size_t nCol, std::string_view strText);
    // Every text at once.
    void Assign(const std::string_view* aTexts, size_t nCount);
    // Every text at once, in a block of the slabs'.
    void AssignIn(ListSlabs& slabs, const std::string_view* aTexts, size_t nCount);
    // An empty cell at nCol, the later ones moving right; nothing when nCol is beyond the texts.
    void InsertEmpty(size_t nCol);
    // Whether the texts hold a block of the heap's, which going frees.
    bool OwnsBlock() const { return m_uBlock != 0 && (m_uBlock & kInSlab) == 0; }
    // The heap's block, for a hint to fetch it ahead of its freeing; null for none.
    const char* OwnedBlock() const { return OwnsBlock() ? Block() : nullptr; }

private:
    // A slab's block is marked by the address's low bit: its row must not free it, nor read it
    // when it goes.
    static constexpr std::uintptr_t kInSlab = 1;

    std::vector<std::string_view> Views() const;
    const char* Block() const { return reinterpret_cast<const char*>(m_uBlock & ~kInSlab); }
    // The block for nBytes of texts, from the slabs or, without them, from the heap.
    void Write(ListSlabs* pSlabs, const std::string_view* aTexts, size_t nCount);
    void Free() noexcept;

    std::uintptr_t m_uBlock = 0;
};

struct ListRow {
    ListCellTexts texts;
    LPARAM lParam = 0;
    int iImage = -1;
    bool bSelected = false;
};

// The rows' array: a million rows take 24 MB, often the pages of an array freed before.
using ListRowArray = std::vector<ListRow, LargeAllocator<ListRow>>;

class ListRows {
public:
    int ColumnCount() const { return static_cast<int>(m_vecColumns.size()); }
    const std::vector<ListColumn>& Columns() const { return m_vecColumns; }
    bool IsValidColumn(int nCol) const { return nCol >= 0 && nCol < ColumnCount(); }
    // The new column's index (nCol beyond the end appends), or -1 for a negative one.
    int InsertColumn(int nCol, const std::string& strText, int nFormat);
    bool SetColumnText(int nCol, const std::string& strText);
    bool SetColumnFormat(int nCol, int nFormat);

    int Count() const { return static_cast<int>(m_vecRows.size()); }
    bool IsValid(int nRow) const { return nRow >= 0 && nRow < Count(); }
    const ListRow& At(int nRow) const { return m_vecRows[static_cast<size_t>(nRow)]; }
    // The cell's text (0-terminated); empty for a cell never set.
    std::string_view TextAt(int nRow, int nCol) const;

    // The new row's index (nRow beyond the end appends), or -1 for a negative one.
    int Insert(int nRow, ListRow row);
    // nRows rows at the end, fnRow(i, texts, item data, image) telling each one's texts (one per
    // column, null for none) and item data; their texts go into the list's slabs.
    void Append(int nRows, const std::function<void(int, LPCTSTR*, LPARAM&, int&)>& fnRow);
    // Within the columns only.
    bool SetText(int nRow, int nCol, std::string_view strText);
    bool SetImage(int nRow, int iImage);
    bool SetData(int nRow, LPARAM lParam);
    // nRow -1: every row.
    bool SetSelected(int nRow, bool bSelected);
    unsigned SelectedCount() const { return m_nSelected; }
    // The first row after nRow (any row, or a selected one), or -1.
    int Next(int nRow, bool bSelectedOnly) const;
    // Every row's item data, in row order.
    void AllData(std::vector<DWORD_PTR>* pvecData) const;
    // The selected rows and their item data, in row order.
    void Selected(std::vector<int>* pvecRows, std::vector<DWORD_PTR>* pvecData) const;

    bool Erase(int nRow);
    // With pvecTaken and pSlabs the rows and the slabs are moved there, for a caller on another
    // thread to free.
    void Clear(ListRowArray* pvecTaken = nullptr, ListSlabs* pSlabs = nullptr);
    // Room for nRows rows, so that adding that many copies nothing.
    void Reserve(int nRows);
    // The rows listed (any order, repeats ignored) as marks per row; false, with no marks, when
    // one of them is no row.
    bool MarkListed(const std::vector<int>& vecRows, std::vector<bool>* pvecGone) const;
    // Keeps the rows not marked, in order. With pvecTexts the texts of the rows that go are moved
    // there instead of freed (those in slabs need no freeing), for a caller on another thread to
    // free off the window thread.
    void EraseMarked(const std::vector<bool>& vecGone,
                     std::vector<ListCellTexts>* pvecTexts = nullptr);
    // Orders the rows by the comparator over their item data, stable for rows it calls equal;
    // the row's former index for each new position.
    std::vector<int> Sort(PFNLVCOMPARE pfnCompare, LPARAM lParamSort);
    // Puts at position i the row that was at vecOrder[i]; false, with the rows unchanged, unless
    // vecOrder lists every row once. The rows move into *pvecSpare's storage (resized to them if
    // need be) and *pvecSpare gets the former one, rows moved from: a caller on another thread
    // allocates it beforehand and frees what comes back, so that the window thread only moves rows.
    bool Reorder(std::span<const int> vecOrder, ListRowArray* pvecSpare);

    // fn(first, last) for each run of consecutive selected rows, in order.
    template <typename Fn> void ForEachSelectedRun(Fn fn) const {
        const int iCount = Count();
        for (int i = 0; i < iCount && m_nSelected > 0;) {
            if (!At(i).bSelected) {
                ++i;
                continue;
            }
            int j = i;
            while (j + 1 < iCount && At(j + 1).bSelected) {
                ++j;
            }
            fn(i, j);
            i = j + 1;
        }
    }

private:
    std::vector<ListColumn> m_vecColumns;
    ListRowArray m_vecRows;
    ListSlabs m_slabs;
    unsigned m_nSelected = 0;
};

} // namespace tessaly::framework::detail
