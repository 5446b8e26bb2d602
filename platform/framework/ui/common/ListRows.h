// The rows of a report-view list as the program sees them, the same on every window system:
// column headings, and per row the texts in CP932 (converted only when a cell is shown), item
// data, image and selection. The window systems keep their views in step with it.
#pragma once

#include <string>
#include <vector>

#include "platform/framework/ui/WinUser.h"

namespace tessaly::framework::detail {

struct ListColumn {
    std::string strText; // CP932
    int nFormat = LVCFMT_LEFT;
};

struct ListRow {
    std::vector<std::string> vecTexts; // CP932, one per column as far as set
    LPARAM lParam = 0;
    int iImage = -1;
    bool bSelected = false;
};

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
    // The cell's text; empty for a cell never set.
    const std::string& TextAt(int nRow, int nCol) const;

    // The new row's index (nRow beyond the end appends), or -1 for a negative one.
    int Insert(int nRow, ListRow row);
    // Within the columns only.
    bool SetText(int nRow, int nCol, const std::string& strText);
    bool SetImage(int nRow, int iImage);
    bool SetData(int nRow, LPARAM lParam);
    // nRow -1: every row.
    bool SetSelected(int nRow, bool bSelected);
    unsigned SelectedCount() const { return m_nSelected; }
    // The first row after nRow (any row, or a selected one), or -1.
    int Next(int nRow, bool bSelectedOnly) const;

    bool Erase(int nRow);
    void Clear();
    // Room for nRows rows, so that adding that many copies nothing.
    void Reserve(int nRows);
    // The rows listed (any order, repeats ignored) as marks per row; false, with no marks, when
    // one of them is no row.
    bool MarkListed(const std::vector<int>& vecRows, std::vector<bool>* pvecGone) const;
    // Keeps the rows not marked, in order.
    void EraseMarked(const std::vector<bool>& vecGone);
    // Orders the rows by the comparator over their item data, stable for rows it calls equal;
    // the row's former index for each new position.
    std::vector<int> Sort(PFNLVCOMPARE pfnCompare, LPARAM lParamSort);

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
    std::vector<ListRow> m_vecRows;
    unsigned m_nSelected = 0;
};

} // namespace tessaly::framework::detail
