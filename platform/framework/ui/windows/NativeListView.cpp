// The bridge to Windows' list view and image lists: the only file of the framework's list that
// includes <windows.h> and <commctrl.h>.
#include "platform/framework/ui/windows/NativeListView.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <unordered_map>

namespace tessaly::framework::native {
namespace {

HWND H(Handle h) {
    return static_cast<HWND>(h);
}

LRESULT SendList(Handle hList, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageW(H(hList), message, wParam, lParam);
}

// The watched lists' own procedures and hooks. Window thread only. The window procedure is
// replaced rather than subclassed through SetWindowSubclass, whose per-message property lookup
// costs Wine a round trip to its server: a catch-up sends a message per selected row.
struct Watch {
    WNDPROC pfnOriginal;
    ListHook pfnBefore;
    ListGoneHook pfnGone;
};
std::unordered_map<HWND, Watch>& Watches() {
    static auto* pMap = new std::unordered_map<HWND, Watch>;
    return *pMap;
}

LRESULT CALLBACK WatchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto it = Watches().find(hwnd);
    if (it == Watches().end()) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    const Watch watch = it->second;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watch.pfnOriginal));
        Watches().erase(it);
        watch.pfnGone(hwnd);
    } else if (message != WM_DESTROY) {
        watch.pfnBefore(hwnd, message, wParam, lParam);
    }
    return CallWindowProcW(watch.pfnOriginal, hwnd, message, wParam, lParam);
}

} // namespace

int ListInsertColumn(Handle hList, int nCol, std::wstring_view strText, int nFormat, int cx) {
    std::wstring strCopy(strText);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = strCopy.data();
    column.fmt = nFormat;
    if (cx >= 0) {
        column.mask |= LVCF_WIDTH;
        column.cx = cx;
    }
    return static_cast<int>(SendList(hList, LVM_INSERTCOLUMNW, static_cast<WPARAM>(nCol),
                                     reinterpret_cast<LPARAM>(&column)));
}

bool ListSetColumnText(Handle hList, int nCol, std::wstring_view strText) {
    std::wstring strCopy(strText);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = strCopy.data();
    return SendList(hList, LVM_SETCOLUMNW, static_cast<WPARAM>(nCol),
                    reinterpret_cast<LPARAM>(&column)) != 0;
}

bool ListSetColumnFormat(Handle hList, int nCol, int nFormat) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT;
    column.fmt = nFormat;
    return SendList(hList, LVM_SETCOLUMNW, static_cast<WPARAM>(nCol),
                    reinterpret_cast<LPARAM>(&column)) != 0;
}

int ListGetColumnWidth(Handle hList, int nCol) {
    return static_cast<int>(SendList(hList, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(nCol), 0));
}

bool ListSetColumnWidth(Handle hList, int nCol, int cx) {
    return SendList(hList, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(nCol), MAKELPARAM(cx, 0)) != 0;
}

std::uint32_t ListGetExtendedStyle(Handle hList) {
    return static_cast<std::uint32_t>(SendList(hList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

std::uint32_t ListSetExtendedStyle(Handle hList, std::uint32_t dwStyle) {
    // A mask of 0 replaces every extended style bit.
    return static_cast<std::uint32_t>(
        SendList(hList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(dwStyle)));
}

bool ListSetBkColor(Handle hList, std::uint32_t crColor) {
    return SendList(hList, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(crColor)) != 0;
}

bool ListSetTextBkColor(Handle hList, std::uint32_t crColor) {
    return SendList(hList, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(crColor)) != 0;
}

bool ListSetTextColor(Handle hList, std::uint32_t crColor) {
    return SendList(hList, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(crColor)) != 0;
}

Handle ImageListCreate(int cx, int cy, int nInitial, int nGrow) {
    return ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, nInitial, nGrow);
}

int ImageListAddIcon(Handle hImages, Handle hIcon) {
    return ImageList_AddIcon(static_cast<HIMAGELIST>(hImages), static_cast<HICON>(hIcon));
}

void ImageListDestroy(Handle hImages) {
    if (hImages != nullptr) {
        ImageList_Destroy(static_cast<HIMAGELIST>(hImages));
    }
}

Handle ListSetImageList(Handle hList, Handle hImages, int nType) {
    return reinterpret_cast<Handle>(SendList(hList, LVM_SETIMAGELIST, static_cast<WPARAM>(nType),
                                             reinterpret_cast<LPARAM>(hImages)));
}

int ListGetItemCount(Handle hList) {
    return static_cast<int>(SendList(hList, LVM_GETITEMCOUNT, 0, 0));
}

void ListSetItemCount(Handle hList, int nCount) {
    SendList(hList, LVM_SETITEMCOUNT, static_cast<WPARAM>(nCount), LVSICF_NOSCROLL);
}

void ListResetRows(Handle hList, int nCount) {
    const int iTop = ListGetTopIndex(hList);
    SendList(hList, LVM_DELETEALLITEMS, 0, 0);
    ListSetItemCount(hList, nCount);
    // Emptied, the control may or may not have gone back to the top.
    const int iRows = std::min(iTop, nCount - 1) - ListGetTopIndex(hList);
    Rect rcRow{};
    if (iRows != 0 && ListGetItemRect(hList, 0, LVIR_BOUNDS, &rcRow)) {
        ListScroll(hList, 0, iRows * (rcRow.bottom - rcRow.top));
    }
}

bool ListSetItemState(Handle hList, int nItem, unsigned nState, unsigned nMask) {
    LVITEMW item{};
    item.state = nState;
    item.stateMask = nMask;
    return SendList(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(nItem),
                    reinterpret_cast<LPARAM>(&item)) != 0;
}

bool ListGetItemRect(Handle hList, int nItem, int nCode, Rect* pRect) {
    RECT rc{};
    rc.left = nCode;
    if (SendList(hList, LVM_GETITEMRECT, static_cast<WPARAM>(nItem),
                 reinterpret_cast<LPARAM>(&rc)) == 0) {
        return false;
    }
    *pRect = Rect{rc.left, rc.top, rc.right, rc.bottom};
    return true;
}

int ListGetTopIndex(Handle hList) {
    return static_cast<int>(SendList(hList, LVM_GETTOPINDEX, 0, 0));
}

int ListGetCountPerPage(Handle hList) {
    return static_cast<int>(SendList(hList, LVM_GETCOUNTPERPAGE, 0, 0));
}

bool ListScroll(Handle hList, int dx, int dy) {
    return SendList(hList, LVM_SCROLL, static_cast<WPARAM>(dx), static_cast<LPARAM>(dy)) != 0;
}

bool ListEnsureVisible(Handle hList, int nItem, bool bPartialOk) {
    return SendList(hList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), bPartialOk ? 1 : 0) != 0;
}

int ListHitTest(Handle hList, int x, int y, int* pnSubItem) {
    LVHITTESTINFO info{};
    info.pt = POINT{x, y};
    const int nItem =
        static_cast<int>(SendList(hList, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (pnSubItem != nullptr) {
        *pnSubItem = nItem >= 0 ? info.iSubItem : 0;
    }
    return nItem >= 0 && (info.flags & LVHT_ONITEM) != 0 ? nItem : -1;
}

bool ListWatch(Handle hList, ListHook pfnBefore, ListGoneHook pfnGone) {
    const HWND hwnd = H(hList);
    if (Watches().count(hwnd) != 0) {
        return true;
    }
    const auto pfnOriginal = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    if (pfnOriginal == nullptr) {
        return false;
    }
    Watches()[hwnd] = Watch{pfnOriginal, pfnBefore, pfnGone};
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchProc));
    return true;
}

bool ReadListNotice(const void* pHeader, ListNotice* pNotice) {
    const auto* pHdr = static_cast<const NMHDR*>(pHeader);
    ListNotice notice;
    switch (pHdr->code) {
    case LVN_GETDISPINFOW: {
        const auto* pInfo = static_cast<const NMLVDISPINFOW*>(pHeader);
        notice.eKind = ListNotice::Kind::DisplayInfo;
        notice.nItem = pInfo->item.iItem;
        notice.nSubItem = pInfo->item.iSubItem;
        notice.bWantsText = (pInfo->item.mask & LVIF_TEXT) != 0;
        notice.bWantsImage = (pInfo->item.mask & LVIF_IMAGE) != 0;
        break;
    }
    case LVN_ODFINDITEMW:
        notice.eKind = ListNotice::Kind::FindItem;
        break;
    case LVN_ODCACHEHINT:
        notice.eKind = ListNotice::Kind::CacheHint;
        break;
    case LVN_ITEMCHANGED: {
        const auto* pChange = static_cast<const NMLISTVIEW*>(pHeader);
        if ((pChange->uChanged & LVIF_STATE) == 0) {
            return false;
        }
        notice.eKind = ListNotice::Kind::ItemChanged;
        notice.nItem = pChange->iItem;
        notice.nOldState = pChange->uOldState;
        notice.nNewState = pChange->uNewState;
        break;
    }
    case LVN_ODSTATECHANGED: {
        const auto* pChange = static_cast<const NMLVODSTATECHANGE*>(pHeader);
        notice.eKind = ListNotice::Kind::StateChanged;
        notice.nFrom = pChange->iFrom;
        notice.nTo = pChange->iTo;
        notice.nOldState = pChange->uOldState;
        notice.nNewState = pChange->uNewState;
        break;
    }
    case LVN_DELETEALLITEMS:
        notice.eKind = ListNotice::Kind::AllDeleted;
        break;
    default:
        return false;
    }
    *pNotice = notice;
    return true;
}

void AnswerDisplayInfo(void* pHeader, const wchar_t* pszText, int iImage) {
    auto* pInfo = static_cast<NMLVDISPINFOW*>(pHeader);
    if ((pInfo->item.mask & LVIF_TEXT) != 0) {
        pInfo->item.pszText = const_cast<wchar_t*>(pszText);
    }
    if ((pInfo->item.mask & LVIF_IMAGE) != 0) {
        pInfo->item.iImage = iImage >= 0 ? iImage : I_IMAGENONE;
    }
}

} // namespace tessaly::framework::native
