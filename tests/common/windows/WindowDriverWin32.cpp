// The window tests' driver on Windows' own controls: what a user sees read with the controls' own
// messages, what a user does made as the controls' input or their notifications to the dialog.
#include <windows.h>

#include <commctrl.h>
#include <gdiplus.h>
#include <shlobj.h>

#include <map>
#include <memory>
#include <utility>

#include "platform/framework/ui/windows/MessageDelivery.h"
#include "tests/common/Platform.h"
#include "tests/common/WindowDriver.h"

namespace tessaly::test {
namespace {

HWND H(WindowHandle h) {
    return static_cast<HWND>(h);
}

std::string Utf8(const std::wstring& str) {
    if (str.empty()) {
        return {};
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), nullptr,
                                      0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& str) {
    if (str.empty()) {
        return {};
    }
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), out.data(), n);
    return out;
}

Rect ToRect(const RECT& rc) {
    return Rect{rc.left, rc.top, rc.right, rc.bottom};
}

// Thread timers by id: Windows calls the procedure with the id only.
struct TimerEntry {
    std::function<void()> fn;
    bool bRepeat;
};
std::map<UINT_PTR, std::shared_ptr<TimerEntry>>& Timers() {
    static auto* pMap = new std::map<UINT_PTR, std::shared_ptr<TimerEntry>>;
    return *pMap;
}

void CALLBACK TimerProc(HWND /*hwnd*/, UINT /*uMsg*/, UINT_PTR idEvent, DWORD /*dwTime*/) {
    auto it = Timers().find(idEvent);
    if (it == Timers().end()) {
        return;
    }
    std::shared_ptr<TimerEntry> pEntry = it->second; // fn may stop its own timer
    if (!pEntry->bRepeat) {
        KillTimer(nullptr, idEvent);
        Timers().erase(it);
    }
    pEntry->fn();
}

std::shared_ptr<TimerEntry> StartTimer(int iMs, std::function<void()> fn, bool bRepeat,
                                       UINT_PTR* pId) {
    *pId = SetTimer(nullptr, 0, static_cast<UINT>(iMs > 0 ? iMs : 1), &TimerProc);
    if (*pId == 0) {
        return nullptr;
    }
    auto pEntry = std::make_shared<TimerEntry>(TimerEntry{std::move(fn), bRepeat});
    Timers()[*pId] = pEntry;
    return pEntry;
}

// Stops the timer only while the id is still this entry's: a one-shot timer's id, freed when it
// fired, may already be another timer's.
void StopTimer(UINT_PTR id, const std::shared_ptr<TimerEntry>& pEntry) {
    auto it = Timers().find(id);
    if (id != 0 && it != Timers().end() && it->second == pEntry) {
        Timers().erase(it);
        KillTimer(nullptr, id);
    }
}

// Sends a notification to the control's dialog, as the control itself does.
LRESULT Notify(HWND hControl, NMHDR* pHeader, UINT nCode) {
    pHeader->hwndFrom = hControl;
    pHeader->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hControl));
    pHeader->code = nCode;
    return SendMessageW(GetParent(hControl), WM_NOTIFY, pHeader->idFrom,
                        reinterpret_cast<LPARAM>(pHeader));
}

BOOL CALLBACK FindModal(HWND hwnd, LPARAM lParam) {
    wchar_t acClass[16] = {};
    GetClassNameW(hwnd, acClass, 16);
    if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) && lstrcmpW(acClass, L"#32770") == 0) {
        *reinterpret_cast<HWND*>(lParam) = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

void detail::PrepareWindowSystem() {}

bool WaitUntil(const std::function<bool()>& condition, int iTimeoutMs) {
    const ULONGLONG ullStart = GetTickCount64();
    while (!condition()) {
        if (GetTickCount64() - ullStart > static_cast<ULONGLONG>(iTimeoutMs)) {
            return false;
        }
        framework::ServePendingMessages();
        MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    return true;
}

void RunLater(int iDelayMs, std::function<void()> fn) {
    UINT_PTR id = 0;
    StartTimer(iDelayMs, std::move(fn), false, &id);
}

struct Timer::State {
    UINT_PTR id = 0;
    std::shared_ptr<TimerEntry> pEntry;
};

Timer::Timer(int iIntervalMs, std::function<void()> fn, bool bRepeat)
    : m_pState(std::make_unique<State>()) {
    m_pState->pEntry = StartTimer(iIntervalMs, std::move(fn), bRepeat, &m_pState->id);
}

Timer::~Timer() {
    Stop();
}

void Timer::Stop() {
    StopTimer(m_pState->id, m_pState->pEntry);
    m_pState->id = 0;
    m_pState->pEntry.reset();
}

WindowHandle ActiveModalWindow() {
    // The dialogs under a modal one are disabled: the one enabled dialog is the innermost.
    HWND hFound = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindModal, reinterpret_cast<LPARAM>(&hFound));
    return hFound;
}

WindowHandle DialogItem(WindowHandle hDialog, int nId) {
    return GetDlgItem(H(hDialog), nId);
}

std::string WindowText(WindowHandle hWnd) {
    const int n = GetWindowTextLengthW(H(hWnd));
    std::wstring str(static_cast<size_t>(n) + 1, L'\0');
    const int nCopied = GetWindowTextW(H(hWnd), str.data(), n + 1);
    str.resize(static_cast<size_t>(nCopied > 0 ? nCopied : 0));
    return Utf8(str);
}

bool IsEnabled(WindowHandle hWnd) {
    return IsWindowEnabled(H(hWnd)) != FALSE;
}

bool IsVisible(WindowHandle hWnd) {
    return IsWindowVisible(H(hWnd)) != FALSE;
}

Rect ClientRect(WindowHandle hWnd) {
    RECT rc{};
    GetClientRect(H(hWnd), &rc);
    return ToRect(rc);
}

Rect RectInParent(WindowHandle hWnd) {
    RECT rc{};
    GetWindowRect(H(hWnd), &rc);
    MapWindowPoints(nullptr, GetParent(H(hWnd)), reinterpret_cast<POINT*>(&rc), 2);
    return ToRect(rc);
}

BaseUnits DialogBaseUnits(WindowHandle hDialog) {
    RECT rc{0, 0, 4, 8};
    MapDialogRect(H(hDialog), &rc);
    return BaseUnits{rc.right, rc.bottom};
}

ProgressState Progress(WindowHandle hBar) {
    PBRANGE range{};
    SendMessageW(H(hBar), PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    return ProgressState{range.iLow, range.iHigh,
                         static_cast<int>(SendMessageW(H(hBar), PBM_GETPOS, 0, 0))};
}

int ListRowCount(WindowHandle hList) {
    return static_cast<int>(SendMessageW(H(hList), LVM_GETITEMCOUNT, 0, 0));
}

std::string ListHeaderText(WindowHandle hList, int iColumn) {
    wchar_t acText[512] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = acText;
    column.cchTextMax = 512;
    if (!SendMessageW(H(hList), LVM_GETCOLUMNW, static_cast<WPARAM>(iColumn),
                      reinterpret_cast<LPARAM>(&column))) {
        return {};
    }
    return Utf8(acText);
}

int ListColumnWidth(WindowHandle hList, int iColumn) {
    return static_cast<int>(
        SendMessageW(H(hList), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(iColumn), 0));
}

std::string ListCellText(WindowHandle hList, int iRow, int iColumn) {
    std::wstring str(4096, L'\0');
    LVITEMW item{};
    item.iSubItem = iColumn;
    item.pszText = str.data();
    item.cchTextMax = static_cast<int>(str.size());
    const LRESULT n = SendMessageW(H(hList), LVM_GETITEMTEXTW, static_cast<WPARAM>(iRow),
                                   reinterpret_cast<LPARAM>(&item));
    // The list may answer with a text of its own instead of filling the buffer.
    return Utf8(std::wstring(item.pszText, static_cast<size_t>(n > 0 ? n : 0)));
}

Rect ListRowRect(WindowHandle hList, int iRow) {
    RECT rc{};
    rc.left = LVIR_SELECTBOUNDS;
    SendMessageW(H(hList), LVM_GETITEMRECT, static_cast<WPARAM>(iRow),
                 reinterpret_cast<LPARAM>(&rc));
    return ToRect(rc);
}

bool SaveScreenshot(WindowHandle hWnd, const std::string& strPathUtf8) {
    RECT rc{};
    GetWindowRect(H(hWnd), &rc);
    const int cx = rc.right - rc.left;
    const int cy = rc.bottom - rc.top;
    if (cx <= 0 || cy <= 0) {
        return false;
    }
    const std::wstring strPath = Wide(strPathUtf8);
    if (const size_t nSlash = strPath.find_last_of(L"\\/"); nSlash != std::wstring::npos) {
        const std::wstring strFolder = strPath.substr(0, nSlash);
        for (size_t i = 0; (i = strFolder.find_first_of(L"\\/", i + 1)) != std::wstring::npos;) {
            CreateDirectoryW(strFolder.substr(0, i).c_str(), nullptr);
        }
        CreateDirectoryW(strFolder.c_str(), nullptr);
    }
    HDC hScreen = GetDC(nullptr);
    HDC hMemory = CreateCompatibleDC(hScreen);
    HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, cx, cy);
    HGDIOBJ hOld = SelectObject(hMemory, hBitmap);
    bool bPrinted = false;
    if (UnderWine()) {
        // Wine's PrintWindow sends WM_PRINT, whose default handling draws only the dialog's
        // background, neither its controls nor its frame (Windows' draws the window as shown):
        // there the picture is copied from the window's own surface once all of it is painted.
        RedrawWindow(H(hWnd), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        HDC hWindow = GetWindowDC(H(hWnd));
        bPrinted = BitBlt(hMemory, 0, 0, cx, cy, hWindow, 0, 0, SRCCOPY) != FALSE;
        ReleaseDC(H(hWnd), hWindow);
    } else {
        bPrinted = PrintWindow(H(hWnd), hMemory, 0) != FALSE;
    }
    SelectObject(hMemory, hOld);
    bool bSaved = false;
    if (bPrinted) {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR uToken = 0;
        if (Gdiplus::GdiplusStartup(&uToken, &input, nullptr) == Gdiplus::Ok) {
            {
                Gdiplus::Bitmap bitmap(hBitmap, nullptr);
                // The PNG encoder's class id, as Windows' image codecs list it.
                const CLSID clsidPng = {
                    0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
                bSaved = bitmap.Save(strPath.c_str(), &clsidPng, nullptr) == Gdiplus::Ok;
            }
            Gdiplus::GdiplusShutdown(uToken);
        }
    }
    DeleteObject(hBitmap);
    DeleteDC(hMemory);
    ReleaseDC(nullptr, hScreen);
    return bSaved;
}

void Click(WindowHandle hWnd) {
    if (IsWindowEnabled(H(hWnd))) {
        SendMessageW(H(hWnd), BM_CLICK, 0, 0);
    }
}

void PressKey(WindowHandle hWnd, EKey eKey) {
    const WPARAM wKey = eKey == EKey::Enter ? VK_RETURN : VK_ESCAPE;
    SetFocus(H(hWnd));
    framework::DeliverMessage(hWnd, WM_KEYDOWN, wKey, 1);
    framework::DeliverMessage(hWnd, WM_KEYUP, wKey, static_cast<LPARAM>(0xC0000001u));
}

void ClickCloseBox(WindowHandle hDialog) {
    SendMessageW(H(hDialog), WM_SYSCOMMAND, SC_CLOSE, 0);
}

std::vector<MenuItem> OpenSystemMenu(WindowHandle hDialog) {
    HMENU hMenu = GetSystemMenu(H(hDialog), FALSE);
    std::vector<MenuItem> vecItems;
    if (hMenu == nullptr) {
        ADD_FAILURE() << "the window has no system menu";
        return vecItems;
    }
    SendMessageW(H(hDialog), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hMenu),
                 MAKELPARAM(0, TRUE));
    const int nCount = GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; ++i) {
        const UINT nState = GetMenuState(hMenu, static_cast<UINT>(i), MF_BYPOSITION);
        if ((nState & MF_SEPARATOR) != 0) {
            continue;
        }
        wchar_t acText[256] = {};
        GetMenuStringW(hMenu, static_cast<UINT>(i), acText, 256, MF_BYPOSITION);
        vecItems.push_back(MenuItem{Utf8(acText), (nState & (MF_GRAYED | MF_DISABLED)) == 0});
    }
    return vecItems;
}

void SetEditText(WindowHandle hEdit, const std::string& strUtf8) {
    SetWindowTextW(H(hEdit), Wide(strUtf8).c_str());
}

void SetChecked(WindowHandle hCheckBox, bool bChecked) {
    SendMessageW(H(hCheckBox), BM_SETCHECK, bChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ClickListHeader(WindowHandle hList, int iColumn) {
    NMLISTVIEW nm{};
    nm.iItem = -1;
    nm.iSubItem = iColumn;
    Notify(H(hList), &nm.hdr, LVN_COLUMNCLICK);
}

void DoubleClickListAt(WindowHandle hList, int x, int y) {
    // The row under the point becomes the one selected row, as a click leaves it; then the list's
    // two notifications reach the dialog.
    LVHITTESTINFO hit{};
    hit.pt = POINT{x, y};
    const int iRow = static_cast<int>(
        SendMessageW(H(hList), LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = 0;
    SendMessageW(H(hList), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&state));
    if (iRow >= 0) {
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(H(hList), LVM_SETITEMSTATE, static_cast<WPARAM>(iRow),
                     reinterpret_cast<LPARAM>(&state));
    }
    POINT ptScreen{x, y};
    ClientToScreen(H(hList), &ptScreen);
    SetCursorPos(ptScreen.x, ptScreen.y);
    for (UINT nCode : {static_cast<UINT>(NM_CLICK), static_cast<UINT>(NM_DBLCLK)}) {
        NMITEMACTIVATE nm{};
        nm.iItem = iRow;
        nm.iSubItem = iRow >= 0 ? hit.iSubItem : -1;
        nm.ptAction = POINT{x, y};
        Notify(H(hList), &nm.hdr, nCode);
    }
}

void SelectListRows(WindowHandle hList, const std::vector<int>& vecRows) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    for (int iRow : vecRows) {
        SendMessageW(H(hList), LVM_SETITEMSTATE, static_cast<WPARAM>(iRow),
                     reinterpret_cast<LPARAM>(&state));
    }
}

bool ChooseListBoxItem(WindowHandle hBox, const std::string& strUtf8) {
    const std::wstring str = Wide(strUtf8);
    const LRESULT nIndex = SendMessageW(H(hBox), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(str.c_str()));
    if (nIndex == LB_ERR) {
        return false;
    }
    SendMessageW(H(hBox), LB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
    const int nId = GetDlgCtrlID(H(hBox));
    SendMessageW(GetParent(H(hBox)), WM_COMMAND, MAKEWPARAM(nId, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(hBox));
    return true;
}

bool DropFiles(WindowHandle hWnd, const std::vector<std::string>& vecPaths) {
    // DROPFILES and the paths as UTF-16, each ended by a zero, the list by one more.
    std::wstring strList;
    for (const std::string& strPath : vecPaths) {
        std::wstring strWide = Wide(strPath);
        for (wchar_t& c : strWide) {
            if (c == L'/') {
                c = L'\\';
            }
        }
        strList += strWide;
        strList.push_back(L'\0');
    }
    strList.push_back(L'\0');
    const size_t cbList = strList.size() * sizeof(wchar_t);
    HGLOBAL hDrop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + cbList);
    auto* pDrop = static_cast<DROPFILES*>(GlobalLock(hDrop));
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = TRUE;
    memcpy(reinterpret_cast<char*>(pDrop) + sizeof(DROPFILES), strList.data(), cbList);
    GlobalUnlock(hDrop);
    const bool bTakes = (GetWindowLongPtrW(H(hWnd), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0;
    framework::DeliverMessage(hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(hDrop), 0);
    return bTakes;
}

} // namespace tessaly::test
