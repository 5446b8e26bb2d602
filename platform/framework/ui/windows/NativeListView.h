// Windows' list view (SysListView32) and image lists under names of this framework, with standard
// types only, for the virtual report list whose rows the framework keeps. Handles are the real
// HWND and HIMAGELIST values as void*; text is UTF-16.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/framework/ui/windows/NativeWindow.h"

namespace tessaly::framework::native {

// Columns. cx < 0 leaves the width to the control.
int ListInsertColumn(Handle hList, int nCol, std::wstring_view strText, int nFormat, int cx);
bool ListSetColumnText(Handle hList, int nCol, std::wstring_view strText);
bool ListSetColumnFormat(Handle hList, int nCol, int nFormat);
int ListGetColumnWidth(Handle hList, int nCol);
bool ListSetColumnWidth(Handle hList, int nCol, int cx);

std::uint32_t ListGetExtendedStyle(Handle hList);
// The former extended style.
std::uint32_t ListSetExtendedStyle(Handle hList, std::uint32_t dwStyle);
bool ListSetBkColor(Handle hList, std::uint32_t crColor);
bool ListSetTextBkColor(Handle hList, std::uint32_t crColor);
bool ListSetTextColor(Handle hList, std::uint32_t crColor);

// An image list of 32-bit icons with masks; null on failure.
Handle ImageListCreate(int cx, int cy, int nInitial, int nGrow);
int ImageListAddIcon(Handle hImages, Handle hIcon);
void ImageListDestroy(Handle hImages);
// The image list the control had for that type.
Handle ListSetImageList(Handle hList, Handle hImages, int nType);

// The control's rows: a count, and the selection and focus it keeps for them.
int ListGetItemCount(Handle hList);
// Keeps the scroll position.
void ListSetItemCount(Handle hList, int nCount);
// nCount rows with neither selection nor focus, the same rows at the top: forgets the control's
// selection at once, however scattered (row by row, Wine's control takes quadratic time).
void ListResetRows(Handle hList, int nCount);
// nItem -1: every row.
bool ListSetItemState(Handle hList, int nItem, unsigned nState, unsigned nMask);

bool ListGetItemRect(Handle hList, int nItem, int nCode, Rect* pRect);
int ListGetTopIndex(Handle hList);
int ListGetCountPerPage(Handle hList);
bool ListScroll(Handle hList, int dx, int dy);
bool ListEnsureVisible(Handle hList, int nItem, bool bPartialOk);
// The row at a client point, or -1, with its sub-item.
int ListHitTest(Handle hList, int x, int y, int* pnSubItem);

// pfnBefore is called on the window thread before the list handles each of its messages up to
// its destruction, pfnGone once the window is going.
using ListHook = void (*)(Handle hList, unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam);
using ListGoneHook = void (*)(Handle hList);
bool ListWatch(Handle hList, ListHook pfnBefore, ListGoneHook pfnGone);

// What a list's WM_NOTIFY asks or tells, for the notifications the framework answers itself.
struct ListNotice {
    enum class Kind {
        DisplayInfo,  // LVN_GETDISPINFOW: nItem, nSubItem, bWantsText, bWantsImage
        FindItem,     // LVN_ODFINDITEMW
        CacheHint,    // LVN_ODCACHEHINT
        ItemChanged,  // LVN_ITEMCHANGED: nItem (-1: every row), nOldState, nNewState
        StateChanged, // LVN_ODSTATECHANGED: nFrom..nTo, nOldState, nNewState
        AllDeleted,   // LVN_DELETEALLITEMS
    };
    Kind eKind = Kind::DisplayInfo;
    int nItem = -1;
    int nSubItem = 0;
    bool bWantsText = false;
    bool bWantsImage = false;
    int nFrom = 0;
    int nTo = -1;
    unsigned nOldState = 0;
    unsigned nNewState = 0;
};

// False for other notifications.
bool ReadListNotice(const void* pHeader, ListNotice* pNotice);
// Answers LVN_GETDISPINFOW: pszText (kept valid by the caller until the next request) and the
// image (negative: none), each where asked.
void AnswerDisplayInfo(void* pHeader, const wchar_t* pszText, int iImage);

} // namespace tessaly::framework::native
