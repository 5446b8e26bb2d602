// CListCtrl on Windows' own list view, made virtual (LVS_OWNERDATA): the rows live in a table of
// the framework per list, and the control asks for each cell it shows. The table is the truth.
// The control's count, selection and focus catch up with it just before the control handles its
// next message, with its drawing held, so a burst of calls (a fill, a sort, a delete) costs the
// control one update however many rows it touched. What the user changes in the control comes
// back through its notifications.
#include "platform/framework/ui/ListCtrl.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "platform/framework/ui/WindowThread.h"
#include "platform/framework/ui/common/ListRows.h"
#include "platform/framework/ui/windows/NativeListView.h"
#include "platform/framework/ui/windows/NativeWindow.h"
#include "platform/framework/ui/windows/UiInternal.h"

using namespace tessaly::framework;
using namespace tessaly::framework::detail;

namespace {

struct ListState {
    ListRows rows;
    int iFocus = -1;          // the focused row, following it through sorts and deletes
    bool bBehind = false;     // the control has not caught up with the table
    bool bReselect = false;   // ... and its selection or focus must be set again
    bool bRedrawOff = false;  // the program's WM_SETREDRAW
    bool bCatchingUp = false; // the framework's own messages to the control
    // The control may read a text it was given until two more requests.
    std::array<std::wstring, 3> astrShown;
    size_t nShown = 0;
    native::Handle hImages = nullptr; // ours, destroyed with the control or when replaced
    CImageList* pImages = nullptr;
};

// Window thread only.
std::unordered_map<HWND, std::unique_ptr<ListState>>& Lists() {
    static auto* pMap = new std::unordered_map<HWND, std::unique_ptr<ListState>>;
    return *pMap;
}

ListState* FindList(HWND hWnd) {
    auto it = Lists().find(hWnd);
    return it != Lists().end() ? it->second.get() : nullptr;
}

void CatchUp(HWND hWnd, ListState& state);

void BeforeListMessage(native::Handle hList, unsigned message, std::uintptr_t wParam,
                       std::intptr_t /*lParam*/) {
    const HWND hWnd = static_cast<HWND>(hList);
    ListState* pState = FindList(hWnd);
    if (pState == nullptr || pState->bCatchingUp) {
        return;
    }
    if (message == WM_SETREDRAW && wParam == 0) {
        pState->bRedrawOff = true;
        return;
    }
    // Before anything reads the control or the user acts on it; redraw turned back on shows
    // the result, caught up while drawing is still off.
    CatchUp(hWnd, *pState);
    if (message == WM_SETREDRAW) {
        pState->bRedrawOff = false;
    }
}

void ListGone(native::Handle hList) {
    Lists().erase(static_cast<HWND>(hList));
}

// The table of a list view of ours, made on first use.
ListState* ListOf(HWND hWnd) {
    if (hWnd == nullptr) {
        return nullptr;
    }
    if (ListState* pState = FindList(hWnd)) {
        return pState;
    }
    WindowInfo info;
    if (!FindWindowInfo(hWnd, &info) || native::GetClassName(hWnd) != L"SysListView32" ||
        !native::ListWatch(hWnd, &BeforeListMessage, &ListGone)) {
        return nullptr;
    }
    auto pState = std::make_unique<ListState>();
    ListState* pRaw = pState.get();
    Lists()[hWnd] = std::move(pState);
    return pRaw;
}

// Whether the control holds a selection or focus that a change of rows must move or clear.
bool HasMarks(const ListState& state) {
    return state.rows.SelectedCount() > 0 || state.iFocus >= 0;
}

// The control is behind the table; it catches up before its next message. Without redraw held
// by the program, an invalidation makes sure a next message (the paint) comes.
void Touch(HWND hWnd, ListState& state, bool bReselect) {
    state.bReselect = state.bReselect || bReselect;
    if (!state.bBehind) {
        state.bBehind = true;
        if (!state.bRedrawOff) {
            native::InvalidateRect(hWnd, nullptr, false);
        }
    }
}

// Into a control that selects nothing: one call per row that differs from "none" or from "all",
// whichever is fewer, in ascending order, which Wine's control extends at its end.
void ApplySelection(HWND hWnd, const ListRows& rows) {
    const unsigned nSelected = rows.SelectedCount();
    if (nSelected > static_cast<unsigned>(rows.Count()) / 2 &&
        native::ListSetItemState(hWnd, -1, LVIS_SELECTED, LVIS_SELECTED)) {
        for (int i = 0; i < rows.Count(); ++i) {
            if (!rows.At(i).bSelected) {
                native::ListSetItemState(hWnd, i, 0, LVIS_SELECTED);
            }
        }
        return;
    }
    rows.ForEachSelectedRun([&](int iFirst, int iLast) {
        for (int i = iFirst; i <= iLast; ++i) {
            native::ListSetItemState(hWnd, i, LVIS_SELECTED, LVIS_SELECTED);
        }
    });
}

void CatchUp(HWND hWnd, ListState& state) {
    if (!state.bBehind || state.bCatchingUp) {
        return;
    }
    state.bCatchingUp = true;
    state.bBehind = false;
    const int nCount = state.rows.Count();
    const bool bRecount = native::ListGetItemCount(hWnd) != nCount;
    // A change of texts alone needs only the paint already asked for.
    if (bRecount || state.bReselect) {
        // Each row's state change would otherwise repaint on its own.
        const bool bHold = !state.bRedrawOff;
        if (bHold) {
            native::SetRedraw(hWnd, false);
        }
        if (state.bReselect) {
            native::ListResetRows(hWnd, nCount);
            ApplySelection(hWnd, state.rows);
            if (state.iFocus >= 0) {
                native::ListSetItemState(hWnd, state.iFocus, LVIS_FOCUSED, LVIS_FOCUSED);
            }
            state.bReselect = false;
        } else if (bRecount) {
            native::ListSetItemCount(hWnd, nCount);
        }
        if (bHold) {
            native::SetRedraw(hWnd, true);
        }
    }
    state.bCatchingUp = false;
}

// What the user did in the control, into the table.
void FollowChange(ListState& state, int nItem, unsigned nOldState, unsigned nNewState) {
    if (((nOldState ^ nNewState) & LVIS_SELECTED) != 0) {
        state.rows.SetSelected(nItem, (nNewState & LVIS_SELECTED) != 0);
    }
    if (((nOldState ^ nNewState) & LVIS_FOCUSED) != 0 && nItem >= 0) {
        if ((nNewState & LVIS_FOCUSED) != 0) {
            state.iFocus = nItem;
        } else if (state.iFocus == nItem) {
            state.iFocus = -1;
        }
    }
}

template <typename Fn> bool WithList(HWND hWnd, Fn fn) {
    bool bDone = false;
    RunOnWindowThread([&] {
        if (ListState* pState = ListOf(hWnd)) {
            bDone = true;
            fn(*pState);
        }
    });
    return bDone;
}

std::string TextOf(LPCTSTR psz) {
    return psz != nullptr ? std::string(psz) : std::string();
}

void CopyText(std::string_view strText, LPSTR pszOut, int cchMax) {
    const size_t nCopy = std::min(strText.size(), static_cast<size_t>(cchMax - 1));
    std::memcpy(pszOut, strText.data(), nCopy);
    pszOut[nCopy] = '\0';
}

} // namespace

namespace tessaly::framework::detail {

bool HandleListNotify(HWND hList, const NMHDR* pHeader, LRESULT* pResult) {
    ListState* pState = FindList(hList);
    native::ListNotice notice;
    if (pState == nullptr || !native::ReadListNotice(pHeader, &notice)) {
        return false;
    }
    switch (notice.eKind) {
    case native::ListNotice::Kind::DisplayInfo: {
        const ListRows& rows = pState->rows;
        std::wstring& strShown = pState->astrShown[pState->nShown++ % pState->astrShown.size()];
        strShown =
            notice.bWantsText ? ToWide(rows.TextAt(notice.nItem, notice.nSubItem)) : std::wstring();
        const int iImage =
            notice.nSubItem == 0 && rows.IsValid(notice.nItem) ? rows.At(notice.nItem).iImage : -1;
        native::AnswerDisplayInfo(const_cast<NMHDR*>(pHeader), strShown.c_str(), iImage);
        *pResult = 0;
        return true;
    }
    case native::ListNotice::Kind::FindItem:
        *pResult = -1; // no search by typed text
        return true;
    case native::ListNotice::Kind::CacheHint:
        *pResult = 0;
        return true;
    case native::ListNotice::Kind::ItemChanged:
        if (pState->bCatchingUp) {
            *pResult = 0;
            return true; // the table's own state coming back
        }
        FollowChange(*pState, notice.nItem, notice.nOldState, notice.nNewState);
        return false;
    case native::ListNotice::Kind::AllDeleted:
        if (pState->bCatchingUp) {
            *pResult = 0;
            return true;
        }
        return false;
    case native::ListNotice::Kind::StateChanged:
        if (!pState->bCatchingUp) {
            const int iLast = std::min(notice.nTo, pState->rows.Count() - 1);
            for (int i = std::max(notice.nFrom, 0); i <= iLast; ++i) {
                FollowChange(*pState, i, notice.nOldState & LVIS_SELECTED,
                             notice.nNewState & LVIS_SELECTED);
            }
        }
        *pResult = 0;
        return true;
    }
    return false;
}

void ForgetList(HWND hList) {
    // The control destroys its image list with itself.
    Lists().erase(hList);
}

} // namespace tessaly::framework::detail

int CListCtrl::InsertColumn(int nCol, LPCTSTR lpszColumnHeading, int nFormat, int nWidth,
                            int /*nSubItem*/) {
    int nResult = -1;
    WithList(m_hWnd, [&](ListState& state) {
        if (nCol < 0) {
            return;
        }
        const int nAt = std::min(nCol, state.rows.ColumnCount());
        if (native::ListInsertColumn(m_hWnd, nAt, ToWide(lpszColumnHeading), nFormat, nWidth) ==
            nAt) {
            nResult = state.rows.InsertColumn(nAt, TextOf(lpszColumnHeading), nFormat);
            Touch(m_hWnd, state, false);
        }
    });
    return nResult;
}

int CListCtrl::InsertColumn(int nCol, const LVCOLUMN* pColumn) {
    if (pColumn == nullptr) {
        return -1;
    }
    return InsertColumn(nCol, (pColumn->mask & LVCF_TEXT) != 0 ? pColumn->pszText : "",
                        (pColumn->mask & LVCF_FMT) != 0 ? pColumn->fmt : LVCFMT_LEFT,
                        (pColumn->mask & LVCF_WIDTH) != 0 ? pColumn->cx : -1);
}

BOOL CListCtrl::SetColumn(int nCol, const LVCOLUMN* pColumn) {
    if (pColumn == nullptr) {
        return FALSE;
    }
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListState& state) {
        if (!state.rows.IsValidColumn(nCol)) {
            return;
        }
        if ((pColumn->mask & LVCF_TEXT) != 0) {
            state.rows.SetColumnText(nCol, TextOf(pColumn->pszText));
            native::ListSetColumnText(m_hWnd, nCol, ToWide(pColumn->pszText));
        }
        if ((pColumn->mask & LVCF_FMT) != 0) {
            state.rows.SetColumnFormat(nCol, pColumn->fmt);
            native::ListSetColumnFormat(m_hWnd, nCol, pColumn->fmt);
            Touch(m_hWnd, state, false);
        }
        if ((pColumn->mask & LVCF_WIDTH) != 0) {
            native::ListSetColumnWidth(m_hWnd, nCol, pColumn->cx);
        }
        bOk = TRUE;
    });
    return bOk;
}

BOOL CListCtrl::GetColumn(int nCol, LVCOLUMN* pColumn) const {
    if (pColumn == nullptr) {
        return FALSE;
    }
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListState& state) {
        if (!state.rows.IsValidColumn(nCol)) {
            return;
        }
        const ListColumn& column = state.rows.Columns()[static_cast<size_t>(nCol)];
        if ((pColumn->mask & LVCF_TEXT) != 0 && pColumn->pszText != nullptr &&
            pColumn->cchTextMax > 0) {
            CopyText(column.strText, pColumn->pszText, pColumn->cchTextMax);
        }
        if ((pColumn->mask & LVCF_FMT) != 0) {
            pColumn->fmt = column.nFormat;
        }
        if ((pColumn->mask & LVCF_WIDTH) != 0) {
            pColumn->cx = native::ListGetColumnWidth(m_hWnd, nCol);
        }
        bOk = TRUE;
    });
    return bOk;
}

BOOL CListCtrl::SetColumnWidth(int nCol, int cx) {
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListState& state) {
        if (state.rows.IsValidColumn(nCol)) {
            bOk = native::ListSetColumnWidth(m_hWnd, nCol, std::max(cx, 0)) ? TRUE : FALSE;
        }
    });
    return bOk;
}

int CListCtrl::GetColumnWidth(int nCol) const {
    int cx = 0;
    WithList(m_hWnd, [&](ListState& state) {
        if (state.rows.IsValidColumn(nCol)) {
            cx = native::ListGetColumnWidth(m_hWnd, nCol);
        }
    });
    return cx;
}

int CListCtrl::GetColumnCount() const {
    int nCount = 0;
    WithList(m_hWnd, [&](ListState& state) { nCount = state.rows.ColumnCount(); });
    return nCount;
}

DWORD CListCtrl::GetExtendedStyle() const {
    DWORD dwStyle = 0;
    WithList(m_hWnd, [&](ListState&) { dwStyle = native::ListGetExtendedStyle(m_hWnd); });
    return dwStyle;
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) {
    DWORD dwOld = 0;
    WithList(m_hWnd, [&](ListState&) { dwOld = native::ListSetExtendedStyle(m_hWnd, dwNewStyle); });
    return dwOld;
}

CImageList* CListCtrl::SetImageList(CImageList* pImageList, int nImageListType) {
    CImageList* pOld = nullptr;
    WithList(m_hWnd, [&](ListState& state) {
        native::Handle hImages = nullptr;
        if (pImageList != nullptr && pImageList->m_cx > 0 && pImageList->m_cy > 0) {
            const int nCount = pImageList->GetImageCount();
            hImages =
                native::ImageListCreate(pImageList->m_cx, pImageList->m_cy, std::max(nCount, 1), 1);
            for (int i = 0; hImages != nullptr && i < nCount; ++i) {
                native::ImageListAddIcon(hImages, pImageList->GetIcon(i));
            }
        }
        native::ListSetImageList(m_hWnd, hImages, nImageListType);
        // The control destroys only the list it holds when it goes.
        native::ImageListDestroy(state.hImages);
        state.hImages = hImages;
        pOld = state.pImages;
        state.pImages = pImageList;
        Touch(m_hWnd, state, false);
    });
    return pOld;
}

namespace {

BOOL SetListColor(HWND hWnd, bool (*pfnSet)(native::Handle, std::uint32_t), COLORREF cr) {
    BOOL bOk = FALSE;
    WithList(hWnd, [&](ListState& state) {
        bOk = pfnSet(hWnd, cr) ? TRUE : FALSE;
        Touch(hWnd, state, false);
    });
    return bOk;
}

} // namespace

BOOL CListCtrl::SetBkColor(COLORREF cr) {
    return SetListColor(m_hWnd, &native::ListSetBkColor, cr);
}

BOOL CListCtrl::SetTextBkColor(COLORREF cr) {
    return SetListColor(m_hWnd, &native::ListSetTextBkColor, cr);
}

BOOL CListCtrl::SetTextColor(COLORREF cr) {
    return SetListColor(m_hWnd, &native::ListSetTextColor, cr);
}

int CListCtrl::InsertItem(const LVITEM* pItem) {
    if (pItem == nullptr || pItem->iSubItem != 0) {
        return -1;
    }
    int nResult = -1;
    WithList(m_hWnd, [&](ListState& state) {
        ListRow row;
        const std::string_view strText(
            (pItem->mask & LVIF_TEXT) != 0 && pItem->pszText != nullptr ? pItem->pszText : "");
        row.texts.Assign(&strText, 1);
        if ((pItem->mask & LVIF_IMAGE) != 0) {
            row.iImage = pItem->iImage;
        }
        if ((pItem->mask & LVIF_PARAM) != 0) {
            row.lParam = pItem->lParam;
        }
        row.bSelected = (pItem->mask & LVIF_STATE) != 0 &&
                        (pItem->stateMask & LVIS_SELECTED) != 0 &&
                        (pItem->state & LVIS_SELECTED) != 0;
        const bool bSelected = row.bSelected;
        const int nBefore = state.rows.Count();
        nResult = state.rows.Insert(pItem->iItem, std::move(row));
        if (nResult < 0) {
            return;
        }
        // Rows after a row put in between move down, and their selection with them.
        const bool bMoved =
            nResult < nBefore &&
            (state.rows.SelectedCount() > (bSelected ? 1u : 0u) || state.iFocus >= nResult);
        if (state.iFocus >= nResult) {
            ++state.iFocus;
        }
        Touch(m_hWnd, state, bSelected || bMoved);
    });
    return nResult;
}

int CListCtrl::InsertItem(int nItem, LPCTSTR lpszItem) {
    LVITEM item{};
    item.mask = LVIF_TEXT;
    item.iItem = nItem;
    item.pszText = const_cast<LPSTR>(lpszItem);
    return InsertItem(&item);
}

int CListCtrl::InsertItem(int nItem, LPCTSTR lpszItem, int nImage) {
    LVITEM item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = nItem;
    item.pszText = const_cast<LPSTR>(lpszItem);
    item.iImage = nImage;
    return InsertItem(&item);
}

BOOL CListCtrl::SetItem(const LVITEM* pItem) {
    if (pItem == nullptr) {
        return FALSE;
    }
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListState& state) {
        ListRows& rows = state.rows;
        if (!rows.IsValid(pItem->iItem)) {
            return;
        }
        if ((pItem->mask & LVIF_TEXT) != 0 &&
            !rows.SetText(pItem->iItem, pItem->iSubItem, TextOf(pItem->pszText))) {
            return;
        }
        if (pItem->iSubItem == 0) {
            if ((pItem->mask & LVIF_IMAGE) != 0) {
                rows.SetImage(pItem->iItem, pItem->iImage);
            }
            if ((pItem->mask & LVIF_PARAM) != 0) {
                rows.SetData(pItem->iItem, pItem->lParam);
            }
        }
        const bool bSelect =
            (pItem->mask & LVIF_STATE) != 0 && (pItem->stateMask & LVIS_SELECTED) != 0;
        if (bSelect) {
            rows.SetSelected(pItem->iItem, (pItem->state & LVIS_SELECTED) != 0);
        }
        if ((pItem->mask & (LVIF_TEXT | LVIF_IMAGE)) != 0 || bSelect) {
            Touch(m_hWnd, state, bSelect);
        }
        bOk = TRUE;
    });
    return bOk;
}

BOOL CListCtrl::GetItem(LVITEM* pItem) const {
    if (pItem == nullptr) {
        return FALSE;
    }
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListState& state) {
        const ListRows& rows = state.rows;
        if (!rows.IsValid(pItem->iItem)) {
            return;
        }
        const ListRow& row = rows.At(pItem->iItem);
        if ((pItem->mask & LVIF_TEXT) != 0 && pItem->pszText != nullptr && pItem->cchTextMax > 0) {
            CopyText(rows.TextAt(pItem->iItem, pItem->iSubItem), pItem->pszText, pItem->cchTextMax);
        }
        if ((pItem->mask & LVIF_IMAGE) != 0) {
            pItem->iImage = row.iImage;
        }
        if ((pItem->mask & LVIF_PARAM) != 0) {
            pItem->lParam = row.lParam;
        }
        if ((pItem->mask & LVIF_STATE) != 0) {
            pItem->state = (row.bSelected ? LVIS_SELECTED : 0u) & pItem->stateMask;
        }
        bOk = TRUE;
    });
    return bOk;
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCTSTR lpszText) {
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListState& state) {
        if (state.rows.SetText(nItem, nSubItem, TextOf(lpszText))) {
            Touch(m_hWnd, state, false);
            bOk = TRUE;
        }
    });
    return bOk;
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
    CString strText;
    WithList(m_hWnd, [&](ListState& state) {
        const std::string_view str = state.rows.TextAt(nItem, nSubItem);
        strText = CString(str.data(), static_cast<int>(str.size()));
    });
    return strText;
}

int CListCtrl::GetItemText(int nItem, int nSubItem, LPTSTR lpszText, int nLen) const {
    if (lpszText == nullptr || nLen <= 0) {
        return 0;
    }
    const CString strText = GetItemText(nItem, nSubItem);
    const int iCopy = std::min(strText.GetLength(), nLen - 1);
    std::memcpy(lpszText, strText.GetString(), static_cast<size_t>(iCopy));
    lpszText[iCopy] = '\0';
    return iCopy;
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData) {
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListState& state) {
        bOk = state.rows.SetData(nItem, static_cast<LPARAM>(dwData)) ? TRUE : FALSE;
    });
    return bOk;
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const {
    DWORD_PTR dwData = 0;
    WithList(m_hWnd, [&](ListState& state) {
        if (state.rows.IsValid(nItem)) {
            dwData = static_cast<DWORD_PTR>(state.rows.At(nItem).lParam);
        }
    });
    return dwData;
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListState& state) {
        if (nItem != -1 && !state.rows.IsValid(nItem)) {
            return;
        }
        if ((nMask & LVIS_SELECTED) != 0) {
            state.rows.SetSelected(nItem, (nState & LVIS_SELECTED) != 0);
        }
        if ((nMask & LVIS_FOCUSED) != 0 && nItem >= 0) {
            if ((nState & LVIS_FOCUSED) != 0) {
                state.iFocus = nItem;
            } else if (state.iFocus == nItem) {
                state.iFocus = -1;
            }
        }
        if ((nMask & (LVIS_SELECTED | LVIS_FOCUSED)) != 0) {
            Touch(m_hWnd, state, true);
        }
        bOk = TRUE;
    });
    return bOk;
}

UINT CListCtrl::GetItemState(int nItem, UINT nMask) const {
    UINT nState = 0;
    WithList(m_hWnd, [&](ListState& state) {
        if (!state.rows.IsValid(nItem)) {
            return;
        }
        if (state.rows.At(nItem).bSelected) {
            nState |= LVIS_SELECTED;
        }
        if (state.iFocus == nItem) {
            nState |= LVIS_FOCUSED;
        }
    });
    return nState & nMask;
}

int CListCtrl::GetItemCount() const {
    int nCount = 0;
    WithList(m_hWnd, [&](ListState& state) { nCount = state.rows.Count(); });
    return nCount;
}

UINT CListCtrl::GetSelectedCount() const {
    UINT nCount = 0;
    WithList(m_hWnd, [&](ListState& state) { nCount = state.rows.SelectedCount(); });
    return nCount;
}

int CListCtrl::GetNextItem(int nItem, int nFlags) const {
    int nFound = -1;
    WithList(m_hWnd, [&](ListState& state) {
        nFound = state.rows.Next(nItem, (nFlags & LVNI_SELECTED) != 0);
    });
    return nFound;
}

BOOL CListCtrl::DeleteItem(int nItem) {
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListState& state) {
        const int nCount = state.rows.Count();
        if (!state.rows.IsValid(nItem)) {
            return;
        }
        // Rows after it move up, and their selection with them; the last row goes with its own.
        const bool bMoved =
            HasMarks(state) &&
            (nItem < nCount - 1 || state.rows.At(nItem).bSelected || state.iFocus == nItem);
        if (state.iFocus == nItem) {
            state.iFocus = -1;
        } else if (state.iFocus > nItem) {
            --state.iFocus;
        }
        state.rows.Erase(nItem);
        Touch(m_hWnd, state, bMoved);
        bOk = TRUE;
    });
    return bOk;
}

BOOL CListCtrl::DeleteAllItems() {
    // The rows are freed here, after the crossing: from a worker, off the window thread.
    ListRowArray vecTaken;
    ListSlabs slabs;
    return WithList(m_hWnd,
                    [&](ListState& state) {
                        const bool bMarked = HasMarks(state);
                        state.rows.Clear(&vecTaken, &slabs);
                        state.iFocus = -1;
                        Touch(m_hWnd, state, bMarked);
                    })
               ? TRUE
               : FALSE;
}

int CListCtrl::AppendItems(int nItems,
                           const std::function<void(int, LPCTSTR*, LPARAM&, int&)>& fnRow) {
    int nAppended = 0;
    WithList(m_hWnd, [&](ListState& state) {
        state.rows.Append(nItems, fnRow);
        nAppended = std::max(nItems, 0);
        Touch(m_hWnd, state, false);
    });
    return nAppended;
}

void CListCtrl::SetItemCount(int nItems) {
    WithList(m_hWnd, [&](ListState& state) { state.rows.Reserve(nItems); });
}

BOOL CListCtrl::DeleteItems(const std::vector<int>& vecItems) {
    BOOL bOk = FALSE;
    // The texts that go are freed here, after the crossing: from a worker, off the window thread.
    std::vector<ListCellTexts> vecTexts;
    vecTexts.reserve(vecItems.size());
    WithList(m_hWnd, [&](ListState& state) {
        std::vector<bool> vecGone;
        if (!state.rows.MarkListed(vecItems, &vecGone)) {
            return;
        }
        const bool bMarked = HasMarks(state);
        if (state.iFocus >= 0) {
            const auto itFocus = vecGone.begin() + state.iFocus;
            state.iFocus =
                *itFocus
                    ? -1
                    : state.iFocus - static_cast<int>(std::count(vecGone.begin(), itFocus, true));
        }
        state.rows.EraseMarked(vecGone, &vecTexts);
        Touch(m_hWnd, state, bMarked);
        bOk = TRUE;
    });
    return bOk;
}

BOOL CListCtrl::SortItems(PFNLVCOMPARE pfnCompare, DWORD_PTR dwData) {
    if (pfnCompare == nullptr) {
        return FALSE;
    }
    return WithList(m_hWnd,
                    [&](ListState& state) {
                        const std::vector<int> vecFormer =
                            state.rows.Sort(pfnCompare, static_cast<LPARAM>(dwData));
                        if (state.iFocus >= 0) {
                            state.iFocus = static_cast<int>(
                                std::find(vecFormer.begin(), vecFormer.end(), state.iFocus) -
                                vecFormer.begin());
                        }
                        Touch(m_hWnd, state, HasMarks(state));
                    })
               ? TRUE
               : FALSE;
}

void CListCtrl::GetAllItemData(std::vector<DWORD_PTR>* pvecData) const {
    pvecData->clear();
    WithList(m_hWnd, [&](ListState& state) { state.rows.AllData(pvecData); });
}

void CListCtrl::GetSelectedItems(std::vector<int>* pvecItems,
                                 std::vector<DWORD_PTR>* pvecData) const {
    pvecItems->clear();
    pvecData->clear();
    WithList(m_hWnd, [&](ListState& state) { state.rows.Selected(pvecItems, pvecData); });
}

BOOL CListCtrl::ReorderItems(std::span<const int> vecOrder) {
    BOOL bOk = FALSE;
    // The rows' new array is made, and their former one freed, on the calling thread.
    ListRowArray vecSpare(vecOrder.size());
    WithList(m_hWnd, [&](ListState& state) {
        if (!state.rows.Reorder(vecOrder, &vecSpare)) {
            return;
        }
        if (state.iFocus >= 0) {
            state.iFocus = static_cast<int>(
                std::find(vecOrder.begin(), vecOrder.end(), state.iFocus) - vecOrder.begin());
        }
        Touch(m_hWnd, state, HasMarks(state));
        bOk = TRUE;
    });
    return bOk;
}

BOOL CListCtrl::GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const {
    if (lpRect == nullptr) {
        return FALSE;
    }
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListState& state) {
        native::Rect rc{};
        if (state.rows.IsValid(nItem) && state.rows.ColumnCount() > 0 &&
            native::ListGetItemRect(m_hWnd, nItem, static_cast<int>(nCode), &rc)) {
            *lpRect = RECT{rc.left, rc.top, rc.right, rc.bottom};
            bOk = TRUE;
        }
    });
    return bOk;
}

int CListCtrl::GetTopIndex() const {
    int nTop = 0;
    WithList(m_hWnd, [&](ListState& state) {
        if (state.rows.Count() > 0) {
            nTop = std::max(native::ListGetTopIndex(m_hWnd), 0);
        }
    });
    return nTop;
}

int CListCtrl::GetCountPerPage() const {
    int nCount = 0;
    WithList(m_hWnd, [&](ListState&) { nCount = native::ListGetCountPerPage(m_hWnd); });
    return nCount;
}

BOOL CListCtrl::Scroll(CSize size) {
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListState&) {
        bOk = native::ListScroll(m_hWnd, size.cx, size.cy) ? TRUE : FALSE;
    });
    return bOk;
}

BOOL CListCtrl::EnsureVisible(int nItem, BOOL bPartialOK) {
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListState& state) {
        if (state.rows.IsValid(nItem)) {
            bOk = native::ListEnsureVisible(m_hWnd, nItem, bPartialOK != FALSE) ? TRUE : FALSE;
        }
    });
    return bOk;
}

int CListCtrl::HitTest(CPoint pt, UINT* pFlags) const {
    int nRow = -1;
    WithList(m_hWnd, [&](ListState& state) {
        nRow = native::ListHitTest(m_hWnd, pt.x, pt.y, nullptr);
        if (!state.rows.IsValid(nRow)) {
            nRow = -1;
        }
    });
    if (pFlags != nullptr) {
        *pFlags = nRow >= 0 ? LVHT_ONITEM : LVHT_NOWHERE;
    }
    return nRow;
}

int CListCtrl::HitTest(LVHITTESTINFO* pHitTestInfo) const {
    if (pHitTestInfo == nullptr) {
        return -1;
    }
    int nRow = -1;
    int nSubItem = 0;
    WithList(m_hWnd, [&](ListState& state) {
        nRow = native::ListHitTest(m_hWnd, pHitTestInfo->pt.x, pHitTestInfo->pt.y, &nSubItem);
        if (!state.rows.IsValid(nRow)) {
            nRow = -1;
            nSubItem = 0;
        }
    });
    pHitTestInfo->iItem = nRow;
    pHitTestInfo->iSubItem = nSubItem;
    pHitTestInfo->flags = nRow >= 0 ? LVHT_ONITEM : LVHT_NOWHERE;
    return nRow;
}
