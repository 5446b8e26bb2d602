// The list view in report mode: rows of texts with an item data value each, over a model, so that
// a million rows fill, sort and go in seconds. Rows are drawn only when visible; while redraw is
// off (SetRedraw(FALSE) or LockWindowUpdate) changes are not shown until it is back on.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/Wnd.h"

class CListCtrl : public CWnd {
public:
    // The new column's index, or -1.
    int InsertColumn(int nCol, LPCTSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT,
                     int nWidth = -1, int nSubItem = -1);
    int InsertColumn(int nCol, const LVCOLUMN* pColumn);
    BOOL SetColumn(int nCol, const LVCOLUMN* pColumn);
    BOOL GetColumn(int nCol, LVCOLUMN* pColumn) const;
    BOOL SetColumnWidth(int nCol, int cx);
    int GetColumnWidth(int nCol) const;
    int GetColumnCount() const;

    DWORD GetExtendedStyle() const;
    DWORD SetExtendedStyle(DWORD dwNewStyle);
    CImageList* SetImageList(CImageList* pImageList, int nImageListType);
    BOOL SetBkColor(COLORREF cr);
    BOOL SetTextBkColor(COLORREF cr);
    BOOL SetTextColor(COLORREF cr);

    // The new row's index (nItem beyond the end appends), or -1.
    int InsertItem(const LVITEM* pItem);
    int InsertItem(int nItem, LPCTSTR lpszItem);
    int InsertItem(int nItem, LPCTSTR lpszItem, int nImage);
    BOOL SetItem(const LVITEM* pItem);
    BOOL GetItem(LVITEM* pItem) const;
    BOOL SetItemText(int nItem, int nSubItem, LPCTSTR lpszText);
    CString GetItemText(int nItem, int nSubItem) const;
    // Copies at most nLen - 1 bytes and a terminator; the length copied.
    int GetItemText(int nItem, int nSubItem, LPTSTR lpszText, int nLen) const;
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    DWORD_PTR GetItemData(int nItem) const;
    // nItem -1: every row.
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    UINT GetItemState(int nItem, UINT nMask) const;
    int GetItemCount() const;
    UINT GetSelectedCount() const;
    int GetNextItem(int nItem, int nFlags) const;
    BOOL DeleteItem(int nItem);
    BOOL DeleteAllItems();
    // Appends nItems rows in one call (one crossing from a worker): fnRow(i, apszTexts, lParam,
    // iImage) gives the i-th row's text for each of GetColumnCount() columns (null: empty), its
    // item data and its image (-1 for none). The rows come unselected. The number appended.
    int AppendItems(int nItems, const std::function<void(int, LPCTSTR*, LPARAM&, int&)>& fnRow);
    // Prepares for nItems rows about to be added; the rows themselves are unchanged.
    void SetItemCount(int nItems);
    // Deletes the rows whose indexes are listed (any order, repeats ignored) in one pass: the
    // same rows remain, in the same order, as deleting them one by one would leave.
    BOOL DeleteItems(const std::vector<int>& vecItems);
    // Orders the rows by the comparator over their item data (stable for rows it calls equal).
    BOOL SortItems(PFNLVCOMPARE pfnCompare, DWORD_PTR dwData);
    // Bulk calls beside the above, one crossing each, for a worker that orders or removes rows
    // while the window goes on: every row's item data in the order shown; the selected rows'
    // indexes (ascending) with their item data; and the rows put in an order computed elsewhere,
    // row i becoming the former row vecOrder[i] with its selection (FALSE, rows unchanged, unless
    // vecOrder lists every row once).
    void GetAllItemData(std::vector<DWORD_PTR>* pvecData) const;
    void GetSelectedItems(std::vector<int>* pvecItems, std::vector<DWORD_PTR>* pvecData) const;
    BOOL ReorderItems(std::span<const int> vecOrder);

    BOOL GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const;
    int GetTopIndex() const;
    int GetCountPerPage() const;
    // Scrolls by pixels: horizontally by cx, vertically by cy (rounded to whole rows).
    BOOL Scroll(CSize size);
    BOOL EnsureVisible(int nItem, BOOL bPartialOK);
    // The row at a point in client coordinates, or -1.
    int HitTest(CPoint pt, UINT* pFlags = nullptr) const;
    int HitTest(LVHITTESTINFO* pHitTestInfo) const;
};
