#include "platform/framework/ui/ListCtrl.h"

#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/framework/ui/WindowThread.h"
#include "platform/framework/ui/qt/ListModel.h"
#include "platform/framework/ui/qt/UiInternal.h"
#include "platform/framework/ui/qt/Widgets.h"

using namespace tessaly::framework;
using namespace tessaly::framework::detail;

namespace {

template <typename Fn> bool WithList(HWND hWnd, Fn fn) {
    bool bDone = false;
    RunOnWindowThread([&] {
        if (auto* pView = dynamic_cast<ListViewWidget*>(ToWidget(hWnd))) {
            bDone = true;
            fn(pView, pView->Model());
        }
    });
    return bDone;
}

std::string TextOf(LPCTSTR psz) {
    return psz != nullptr ? std::string(psz) : std::string();
}

// Rows or texts freed at a time by a worker that took them out of a list: fewer than the 10,000
// free blocks that one large request sorts at most, so that one request settles a slice.
constexpr size_t kFreeSlice = 5000;
constexpr size_t kSettleBytes = 8192;

// Frees what a call took out of a list, on the calling thread. glibc keeps small blocks freed into
// the window thread's heap unsorted until that heap's next large requests, which then sort them:
// half a million texts stalled the window some 0.3 s at its next paint. From a worker they go a
// slice at a time, each followed by such a request on the window thread, which sorts one slice.
template <typename Vector> void FreeTaken(Vector& vecTaken) {
    if (IsWindowThread()) {
        vecTaken.clear();
        return;
    }
    while (!vecTaken.empty()) {
        const size_t nKeep = vecTaken.size() > kFreeSlice ? vecTaken.size() - kFreeSlice : 0;
        vecTaken.erase(vecTaken.begin() + static_cast<std::ptrdiff_t>(nKeep), vecTaken.end());
        RunOnWindowThread([] {
            static void* volatile s_pSettle = nullptr;
            s_pSettle = std::malloc(kSettleBytes);
            std::free(s_pSettle);
        });
    }
}

QColor ColorOf(COLORREF cr) {
    return QColor(GetRValue(cr), GetGValue(cr), GetBValue(cr));
}

} // namespace

int CListCtrl::InsertColumn(int nCol, LPCTSTR lpszColumnHeading, int nFormat, int nWidth,
                            int /*nSubItem*/) {
    int nResult = -1;
    WithList(m_hWnd, [&](ListViewWidget* pView, ListModel* pModel) {
        nResult = pModel->InsertColumn(nCol, TextOf(lpszColumnHeading), nFormat);
        if (nResult >= 0 && nWidth >= 0) {
            pView->horizontalHeader()->resizeSection(nResult, nWidth);
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
    WithList(m_hWnd, [&](ListViewWidget* pView, ListModel* pModel) {
        if (nCol < 0 || nCol >= pModel->columnCount()) {
            return;
        }
        if ((pColumn->mask & LVCF_TEXT) != 0) {
            pModel->SetColumnText(nCol, TextOf(pColumn->pszText));
        }
        if ((pColumn->mask & LVCF_FMT) != 0) {
            pModel->SetColumnFormat(nCol, pColumn->fmt);
        }
        if ((pColumn->mask & LVCF_WIDTH) != 0) {
            pView->horizontalHeader()->resizeSection(nCol, pColumn->cx);
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
    WithList(m_hWnd, [&](ListViewWidget* pView, ListModel* pModel) {
        if (nCol < 0 || nCol >= pModel->columnCount()) {
            return;
        }
        const ListModel::Column& column = pModel->Columns()[static_cast<size_t>(nCol)];
        if ((pColumn->mask & LVCF_TEXT) != 0 && pColumn->pszText != nullptr &&
            pColumn->cchTextMax > 0) {
            const size_t nCopy =
                std::min(column.strText.size(), static_cast<size_t>(pColumn->cchTextMax - 1));
            std::memcpy(pColumn->pszText, column.strText.data(), nCopy);
            pColumn->pszText[nCopy] = '\0';
        }
        if ((pColumn->mask & LVCF_FMT) != 0) {
            pColumn->fmt = column.nFormat;
        }
        if ((pColumn->mask & LVCF_WIDTH) != 0) {
            pColumn->cx = pView->horizontalHeader()->sectionSize(nCol);
        }
        bOk = TRUE;
    });
    return bOk;
}

BOOL CListCtrl::SetColumnWidth(int nCol, int cx) {
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListViewWidget* pView, ListModel* pModel) {
        if (nCol >= 0 && nCol < pModel->columnCount()) {
            pView->horizontalHeader()->resizeSection(nCol, std::max(cx, 0));
            bOk = TRUE;
        }
    });
    return bOk;
}

int CListCtrl::GetColumnWidth(int nCol) const {
    int cx = 0;
    WithList(m_hWnd, [&](ListViewWidget* pView, ListModel* pModel) {
        if (nCol >= 0 && nCol < pModel->columnCount()) {
            cx = pView->horizontalHeader()->sectionSize(nCol);
        }
    });
    return cx;
}

int CListCtrl::GetColumnCount() const {
    int nCount = 0;
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) { nCount = pModel->columnCount(); });
    return nCount;
}

DWORD CListCtrl::GetExtendedStyle() const {
    DWORD dwStyle = 0;
    WithList(m_hWnd, [&](ListViewWidget* pView, ListModel*) { dwStyle = pView->m_dwExStyle; });
    return dwStyle;
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) {
    DWORD dwOld = 0;
    WithList(m_hWnd, [&](ListViewWidget* pView, ListModel*) {
        dwOld = pView->m_dwExStyle;
        pView->m_dwExStyle = dwNewStyle;
    });
    return dwOld;
}

CImageList* CListCtrl::SetImageList(CImageList* pImageList, int /*nImageListType*/) {
    CImageList* pOld = nullptr;
    WithList(m_hWnd, [&](ListViewWidget* pView, ListModel* pModel) {
        pOld = pModel->ImageList();
        pModel->SetImageList(pImageList);
        if (pImageList != nullptr && pImageList->m_cx > 0) {
            pView->setIconSize(QSize(pImageList->m_cx, pImageList->m_cy));
        }
        pView->viewport()->update();
    });
    return pOld;
}

namespace {

void SetListColor(HWND hWnd, COLORREF cr, std::initializer_list<QPalette::ColorRole> roles) {
    WithList(hWnd, [&](ListViewWidget* pView, ListModel*) {
        QPalette palette = pView->palette();
        for (QPalette::ColorRole role : roles) {
            palette.setColor(role, ColorOf(cr));
        }
        pView->setPalette(palette);
    });
}

} // namespace

BOOL CListCtrl::SetBkColor(COLORREF cr) {
    SetListColor(m_hWnd, cr, {QPalette::Base, QPalette::Window});
    return TRUE;
}

BOOL CListCtrl::SetTextBkColor(COLORREF cr) {
    SetListColor(m_hWnd, cr, {QPalette::AlternateBase});
    return TRUE;
}

BOOL CListCtrl::SetTextColor(COLORREF cr) {
    SetListColor(m_hWnd, cr, {QPalette::Text});
    return TRUE;
}

int CListCtrl::InsertItem(const LVITEM* pItem) {
    if (pItem == nullptr || pItem->iSubItem != 0) {
        return -1;
    }
    int nResult = -1;
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) {
        ListModel::Row row;
        const std::string_view strText(
            (pItem->mask & LVIF_TEXT) != 0 && pItem->pszText != nullptr ? pItem->pszText : "");
        row.texts.Assign(&strText, 1);
        if ((pItem->mask & LVIF_IMAGE) != 0) {
            row.iImage = pItem->iImage;
        }
        if ((pItem->mask & LVIF_PARAM) != 0) {
            row.lParam = pItem->lParam;
        }
        const bool bSelect = (pItem->mask & LVIF_STATE) != 0 &&
                             (pItem->stateMask & LVIS_SELECTED) != 0 &&
                             (pItem->state & LVIS_SELECTED) != 0;
        nResult = pModel->InsertRow(pItem->iItem, std::move(row));
        if (nResult >= 0 && bSelect) {
            pModel->SetSelected(nResult, true);
        }
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
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) {
        if (!pModel->IsValidRow(pItem->iItem)) {
            return;
        }
        if ((pItem->mask & LVIF_TEXT) != 0 &&
            !pModel->SetText(pItem->iItem, pItem->iSubItem, TextOf(pItem->pszText))) {
            return;
        }
        if (pItem->iSubItem == 0) {
            if ((pItem->mask & LVIF_IMAGE) != 0) {
                pModel->SetImage(pItem->iItem, pItem->iImage);
            }
            if ((pItem->mask & LVIF_PARAM) != 0) {
                pModel->SetData(pItem->iItem, pItem->lParam);
            }
        }
        if ((pItem->mask & LVIF_STATE) != 0 && (pItem->stateMask & LVIS_SELECTED) != 0) {
            pModel->SetSelected(pItem->iItem, (pItem->state & LVIS_SELECTED) != 0);
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
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) {
        if (!pModel->IsValidRow(pItem->iItem)) {
            return;
        }
        const ListModel::Row& row = pModel->RowAt(pItem->iItem);
        if ((pItem->mask & LVIF_TEXT) != 0 && pItem->pszText != nullptr && pItem->cchTextMax > 0) {
            const auto nSub = static_cast<size_t>(std::max(pItem->iSubItem, 0));
            const std::string_view strText = row.texts.Get(nSub);
            const size_t nCopy =
                std::min(strText.size(), static_cast<size_t>(pItem->cchTextMax - 1));
            std::memcpy(pItem->pszText, strText.data(), nCopy);
            pItem->pszText[nCopy] = '\0';
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
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) {
        bOk = pModel->SetText(nItem, nSubItem, TextOf(lpszText)) ? TRUE : FALSE;
    });
    return bOk;
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
    CString strText;
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) {
        if (pModel->IsValidRow(nItem) && nSubItem >= 0) {
            const std::string_view str =
                pModel->RowAt(nItem).texts.Get(static_cast<size_t>(nSubItem));
            strText = CString(str.data(), static_cast<int>(str.size()));
        }
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
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) {
        bOk = pModel->SetData(nItem, static_cast<LPARAM>(dwData)) ? TRUE : FALSE;
    });
    return bOk;
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const {
    DWORD_PTR dwData = 0;
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) {
        if (pModel->IsValidRow(nItem)) {
            dwData = static_cast<DWORD_PTR>(pModel->RowAt(nItem).lParam);
        }
    });
    return dwData;
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListViewWidget* pView, ListModel* pModel) {
        if (nItem != -1 && !pModel->IsValidRow(nItem)) {
            return;
        }
        if ((nMask & LVIS_SELECTED) != 0) {
            pModel->SetSelected(nItem, (nState & LVIS_SELECTED) != 0);
        }
        if ((nMask & LVIS_FOCUSED) != 0 && (nState & LVIS_FOCUSED) != 0 && nItem >= 0 &&
            !pModel->IsRedrawOff()) {
            pView->selectionModel()->setCurrentIndex(pModel->index(nItem, 0),
                                                     QItemSelectionModel::NoUpdate);
        }
        bOk = TRUE;
    });
    return bOk;
}

UINT CListCtrl::GetItemState(int nItem, UINT nMask) const {
    UINT nState = 0;
    WithList(m_hWnd, [&](ListViewWidget* pView, ListModel* pModel) {
        if (!pModel->IsValidRow(nItem)) {
            return;
        }
        if (pModel->RowAt(nItem).bSelected) {
            nState |= LVIS_SELECTED;
        }
        if (pView->currentIndex().isValid() && pView->currentIndex().row() == nItem) {
            nState |= LVIS_FOCUSED;
        }
    });
    return nState & nMask;
}

int CListCtrl::GetItemCount() const {
    int nCount = 0;
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) { nCount = pModel->RowCountNow(); });
    return nCount;
}

UINT CListCtrl::GetSelectedCount() const {
    UINT nCount = 0;
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) { nCount = pModel->SelectedCount(); });
    return nCount;
}

int CListCtrl::GetNextItem(int nItem, int nFlags) const {
    int nFound = -1;
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) {
        nFound = pModel->NextRow(nItem, (nFlags & LVNI_SELECTED) != 0);
    });
    return nFound;
}

BOOL CListCtrl::DeleteItem(int nItem) {
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) {
        bOk = pModel->DeleteRow(nItem) ? TRUE : FALSE;
    });
    return bOk;
}

BOOL CListCtrl::DeleteAllItems() {
    // The rows are freed here, after the crossing: from a worker, off the window thread.
    ListRowArray vecTaken;
    ListSlabs slabs;
    const bool bDone = WithList(
        m_hWnd, [&](ListViewWidget*, ListModel* pModel) { pModel->DeleteAll(&vecTaken, &slabs); });
    FreeTaken(vecTaken);
    return bDone ? TRUE : FALSE;
}

int CListCtrl::AppendItems(int nItems,
                           const std::function<void(int, LPCTSTR*, LPARAM&, int&)>& fnRow) {
    int nAppended = 0;
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) {
        nAppended = pModel->AppendRows(nItems, fnRow);
    });
    return nAppended;
}

void CListCtrl::SetItemCount(int nItems) {
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) { pModel->Reserve(nItems); });
}

BOOL CListCtrl::DeleteItems(const std::vector<int>& vecItems) {
    BOOL bOk = FALSE;
    // The texts that go are freed here, after the crossing: from a worker, off the window thread.
    std::vector<ListCellTexts> vecTexts;
    vecTexts.reserve(vecItems.size());
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) {
        std::vector<bool> vecGone;
        if (!pModel->MarkListed(vecItems, &vecGone)) {
            return;
        }
        pModel->DeleteMarked(vecGone, &vecTexts);
        bOk = TRUE;
    });
    FreeTaken(vecTexts);
    return bOk;
}

BOOL CListCtrl::SortItems(PFNLVCOMPARE pfnCompare, DWORD_PTR dwData) {
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) {
        if (pfnCompare != nullptr) {
            pModel->Sort(pfnCompare, static_cast<LPARAM>(dwData));
            bOk = TRUE;
        }
    });
    return bOk;
}

void CListCtrl::GetAllItemData(std::vector<DWORD_PTR>* pvecData) const {
    pvecData->clear();
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) { pModel->Rows().AllData(pvecData); });
}

void CListCtrl::GetSelectedItems(std::vector<int>* pvecItems,
                                 std::vector<DWORD_PTR>* pvecData) const {
    pvecItems->clear();
    pvecData->clear();
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) {
        pModel->Rows().Selected(pvecItems, pvecData);
    });
}

BOOL CListCtrl::ReorderItems(std::span<const int> vecOrder) {
    BOOL bOk = FALSE;
    // The rows' new array is made, and their former one freed, on the calling thread.
    ListRowArray vecSpare(vecOrder.size());
    WithList(m_hWnd, [&](ListViewWidget*, ListModel* pModel) {
        bOk = pModel->Reorder(vecOrder, &vecSpare) ? TRUE : FALSE;
    });
    return bOk;
}

BOOL CListCtrl::GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const {
    if (lpRect == nullptr) {
        return FALSE;
    }
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListViewWidget* pView, ListModel* pModel) {
        if (!pModel->IsValidRow(nItem) || pModel->columnCount() == 0) {
            return;
        }
        const QPoint ptOffset = pView->viewport()->pos();
        const int iRowTop = pView->rowViewportPosition(nItem);
        const int iRowHeight = pView->rowHeight(nItem);
        const int iLeft = pView->columnViewportPosition(0);
        int iRight = iLeft;
        for (int c = 0; c < pModel->columnCount(); ++c) {
            iRight = std::max(iRight, pView->columnViewportPosition(c) + pView->columnWidth(c));
        }
        QRect rc(iLeft, iRowTop, iRight - iLeft, iRowHeight);
        const bool bIcon = pModel->ImageList() != nullptr;
        const int iIconWidth = bIcon ? pView->iconSize().width() + 4 : 0;
        if (nCode == LVIR_ICON) {
            rc.setWidth(iIconWidth);
        } else if (nCode == LVIR_LABEL) {
            rc = QRect(iLeft + iIconWidth, iRowTop, pView->columnWidth(0) - iIconWidth, iRowHeight);
        }
        rc.translate(ptOffset);
        *lpRect = RECT{rc.left(), rc.top(), rc.left() + rc.width(), rc.top() + rc.height()};
        bOk = TRUE;
    });
    return bOk;
}

int CListCtrl::GetTopIndex() const {
    int nTop = 0;
    WithList(m_hWnd, [&](ListViewWidget* pView, ListModel* pModel) {
        if (pModel->RowCountNow() > 0 && !pModel->IsRedrawOff()) {
            nTop = std::max(pView->rowAt(0), 0);
        }
    });
    return nTop;
}

int CListCtrl::GetCountPerPage() const {
    int nCount = 0;
    WithList(m_hWnd, [&](ListViewWidget* pView, ListModel*) {
        const int iRow = std::max(pView->verticalHeader()->defaultSectionSize(), 1);
        nCount = pView->viewport()->height() / iRow;
    });
    return nCount;
}

BOOL CListCtrl::Scroll(CSize size) {
    return WithList(m_hWnd,
                    [&](ListViewWidget* pView, ListModel*) {
                        QScrollBar* pH = pView->horizontalScrollBar();
                        pH->setValue(pH->value() + size.cx);
                        const int iRow = std::max(pView->verticalHeader()->defaultSectionSize(), 1);
                        QScrollBar* pV = pView->verticalScrollBar();
                        pV->setValue(pV->value() + size.cy / iRow);
                    })
               ? TRUE
               : FALSE;
}

BOOL CListCtrl::EnsureVisible(int nItem, BOOL /*bPartialOK*/) {
    BOOL bOk = FALSE;
    WithList(m_hWnd, [&](ListViewWidget* pView, ListModel* pModel) {
        if (pModel->IsValidRow(nItem) && !pModel->IsRedrawOff()) {
            pView->scrollTo(pModel->index(nItem, 0));
            bOk = TRUE;
        }
    });
    return bOk;
}

int CListCtrl::HitTest(CPoint pt, UINT* pFlags) const {
    int nRow = -1;
    WithList(m_hWnd, [&](ListViewWidget* pView, ListModel*) {
        const QPoint ptViewport = QPoint(pt.x, pt.y) - pView->viewport()->pos();
        const QModelIndex index = pView->indexAt(ptViewport);
        nRow = index.isValid() ? index.row() : -1;
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
    pHitTestInfo->iItem =
        HitTest(CPoint(pHitTestInfo->pt.x, pHitTestInfo->pt.y), &pHitTestInfo->flags);
    pHitTestInfo->iSubItem = 0;
    return pHitTestInfo->iItem;
}
