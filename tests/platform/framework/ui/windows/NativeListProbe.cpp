// The list tests' view of the control through Windows' own messages; the one list test file that
// includes <windows.h>.
#include "tests/platform/framework/ui/windows/NativeListProbe.h"

#include <windows.h>

#include <commctrl.h>

namespace listprobe {
namespace {

HWND H(void* h) {
    return static_cast<HWND>(h);
}

LRESULT Send(void* hList, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageW(H(hList), message, wParam, lParam);
}

void PressKey(void* hList, WPARAM vk, bool bShift) {
    BYTE abKeys[256] = {};
    GetKeyboardState(abKeys);
    const BYTE bSaved = abKeys[VK_SHIFT];
    abKeys[VK_SHIFT] = bShift ? 0x80 : 0;
    SetKeyboardState(abKeys);
    Send(hList, WM_KEYDOWN, vk, 1);
    Send(hList, WM_KEYUP, vk, 0xC0000001);
    abKeys[VK_SHIFT] = bSaved;
    SetKeyboardState(abKeys);
}

} // namespace

bool CanMakeWindows() {
    const HWND hwnd = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hwnd == nullptr) {
        return false;
    }
    DestroyWindow(hwnd);
    return true;
}

int RowCount(void* hList) {
    return static_cast<int>(Send(hList, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring CellText(void* hList, int iRow, int iCol) {
    std::wstring str(1024, L'\0');
    LVITEMW item{};
    item.iSubItem = iCol;
    item.pszText = str.data();
    item.cchTextMax = static_cast<int>(str.size());
    const LRESULT n =
        Send(hList, LVM_GETITEMTEXTW, static_cast<WPARAM>(iRow), reinterpret_cast<LPARAM>(&item));
    return std::wstring(item.pszText, static_cast<size_t>(n > 0 ? n : 0));
}

int CellImage(void* hList, int iRow) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = iRow;
    item.iImage = -100;
    Send(hList, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

std::vector<int> SelectedRows(void* hList) {
    std::vector<int> vecRows;
    for (int i = -1; (i = static_cast<int>(Send(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(i),
                                                MAKELPARAM(LVNI_SELECTED, 0)))) >= 0;) {
        vecRows.push_back(i);
    }
    return vecRows;
}

unsigned SelectedCount(void* hList) {
    return static_cast<unsigned>(Send(hList, LVM_GETSELECTEDCOUNT, 0, 0));
}

int FocusedRow(void* hList) {
    return static_cast<int>(
        Send(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
}

std::wstring HeaderText(void* hList, int iCol) {
    wchar_t acText[256] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = acText;
    column.cchTextMax = 256;
    Send(hList, LVM_GETCOLUMNW, static_cast<WPARAM>(iCol), reinterpret_cast<LPARAM>(&column));
    return acText;
}

int ColumnWidth(void* hList, int iCol) {
    return static_cast<int>(Send(hList, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(iCol), 0));
}

int SmallImageCount(void* hList) {
    const auto hImages =
        reinterpret_cast<HIMAGELIST>(Send(hList, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    return hImages != nullptr ? ImageList_GetImageCount(hImages) : -1;
}

std::uint32_t ExtendedStyle(void* hList) {
    return static_cast<std::uint32_t>(Send(hList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

Colors ListColors(void* hList) {
    return Colors{static_cast<std::uint32_t>(Send(hList, LVM_GETBKCOLOR, 0, 0)),
                  static_cast<std::uint32_t>(Send(hList, LVM_GETTEXTCOLOR, 0, 0)),
                  static_cast<std::uint32_t>(Send(hList, LVM_GETTEXTBKCOLOR, 0, 0))};
}

void SetRowSelected(void* hList, int iRow, bool bSelected) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = bSelected ? LVIS_SELECTED : 0;
    Send(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(iRow), reinterpret_cast<LPARAM>(&item));
}

void PressHome(void* hList) {
    PressKey(hList, VK_HOME, false);
}

void PressShiftEnd(void* hList) {
    PressKey(hList, VK_END, true);
}

void* MakeIcon(int cxy) {
    const auto nBytes = static_cast<size_t>(cxy * cxy / 8);
    std::vector<BYTE> vecAnd(nBytes, 0x00);
    std::vector<BYTE> vecXor(nBytes, 0xFF);
    return CreateIcon(GetModuleHandleW(nullptr), cxy, cxy, 1, 1, vecAnd.data(), vecXor.data());
}

void DestroyIcon(void* hIcon) {
    ::DestroyIcon(static_cast<HICON>(hIcon));
}

} // namespace listprobe
