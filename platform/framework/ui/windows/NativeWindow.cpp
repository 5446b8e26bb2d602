// The bridge to Windows' window functions: the only file of the framework's windows, dialogs and
// controls that includes <windows.h>.
#include "platform/framework/ui/windows/NativeWindow.h"

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <mutex>

// The bridge's own functions share these names; the calls below name the W functions.
#undef AppendMenu
#undef CreateFont
#undef GetClassName
#undef IsDialogMessage

namespace tessaly::framework::native {
namespace {

HWND H(Handle h) {
    return static_cast<HWND>(h);
}

DialogHandler g_pfnDialogHandler = nullptr;
DialogHandler g_pfnMailboxHandler = nullptr;

// The dialogs' own class procedures, kept when the framework's procedure replaces them.
std::mutex& ProcMutex() {
    static auto* pMutex = new std::mutex;
    return *pMutex;
}
std::map<HWND, WNDPROC>& OriginalProcs() {
    static auto* pMap = new std::map<HWND, WNDPROC>;
    return *pMap;
}

WNDPROC OriginalProc(HWND hwnd) {
    std::lock_guard lock(ProcMutex());
    auto it = OriginalProcs().find(hwnd);
    return it != OriginalProcs().end() ? it->second : nullptr;
}

LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC pfnOriginal = OriginalProc(hwnd);
    std::intptr_t lResult = 0;
    if (g_pfnDialogHandler != nullptr &&
        g_pfnDialogHandler(hwnd, message, wParam, lParam, &lResult)) {
        return lResult;
    }
    LRESULT lDefault = pfnOriginal != nullptr
                           ? CallWindowProcW(pfnOriginal, hwnd, message, wParam, lParam)
                           : DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        std::lock_guard lock(ProcMutex());
        OriginalProcs().erase(hwnd);
    }
    return lDefault;
}

// Replaces the dialog's procedure at WM_INITDIALOG, so that every later message reaches the
// framework first and the dialog manager's processing stays callable as the default.
INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG) {
        return FALSE;
    }
    {
        std::lock_guard lock(ProcMutex());
        OriginalProcs()[hwnd] = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
    }
    std::intptr_t lResult = TRUE;
    if (g_pfnDialogHandler != nullptr) {
        g_pfnDialogHandler(hwnd, message, wParam, lParam, &lResult);
    }
    return static_cast<INT_PTR>(lResult);
}

LRESULT CALLBACK MailboxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    std::intptr_t lResult = 0;
    if (g_pfnMailboxHandler != nullptr &&
        g_pfnMailboxHandler(hwnd, message, wParam, lParam, &lResult)) {
        return lResult;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void FromMsg(const MSG& msg, Message* pMsg) {
    *pMsg = Message{msg.hwnd, msg.message, msg.wParam, msg.lParam, msg.time, msg.pt.x, msg.pt.y};
}

MSG ToMsg(const Message& msg) {
    MSG m{};
    m.hwnd = H(msg.hwnd);
    m.message = msg.message;
    m.wParam = msg.wParam;
    m.lParam = msg.lParam;
    m.time = msg.time;
    m.pt.x = msg.x;
    m.pt.y = msg.y;
    return m;
}

// The paints in progress, by window.
std::map<HWND, PAINTSTRUCT>& Paints() {
    static auto* pMap = new std::map<HWND, PAINTSTRUCT>;
    return *pMap;
}

} // namespace

void InitControls() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                              ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
}

Handle CreateDialogFromTemplate(const void* pTemplate, Handle hParent, DialogHandler handler,
                                std::intptr_t lInitParam) {
    g_pfnDialogHandler = handler;
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                      static_cast<LPCDLGTEMPLATEW>(pTemplate), H(hParent),
                                      &DialogProc, lInitParam);
}

std::intptr_t CallDialogDefault(Handle hwnd, unsigned message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
    WNDPROC pfnOriginal = OriginalProc(H(hwnd));
    return pfnOriginal != nullptr ? CallWindowProcW(pfnOriginal, H(hwnd), message, wParam, lParam)
                                  : DefWindowProcW(H(hwnd), message, wParam, lParam);
}

bool DestroyWindow(Handle hwnd) {
    return ::DestroyWindow(H(hwnd)) != FALSE;
}

bool GetQueuedMessage(Message* pMsg) {
    MSG msg;
    const BOOL bGot = GetMessageW(&msg, nullptr, 0, 0);
    if (bGot == 0) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    if (bGot < 0) {
        return false;
    }
    FromMsg(msg, pMsg);
    return true;
}

bool PeekQueuedMessage(Message* pMsg) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    }
    if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    FromMsg(msg, pMsg);
    return true;
}

bool WaitForMessage(std::uint32_t dwMilliseconds) {
    return MsgWaitForMultipleObjectsEx(0, nullptr, dwMilliseconds, QS_ALLINPUT,
                                       MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0;
}

bool IsDialogMessage(Handle hDialog, const Message& msg) {
    MSG m = ToMsg(msg);
    return IsDialogMessageW(H(hDialog), &m) != FALSE;
}

void DispatchQueuedMessage(const Message& msg) {
    MSG m = ToMsg(msg);
    TranslateMessage(&m);
    DispatchMessageW(&m);
}

void PostQuit(int nExitCode) {
    PostQuitMessage(nExitCode);
}

bool Post(Handle hwnd, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    return PostMessageW(H(hwnd), message, wParam, lParam) != FALSE;
}

bool PostThread(std::uint32_t dwThreadId, unsigned message, std::uintptr_t wParam,
                std::intptr_t lParam) {
    return PostThreadMessageW(dwThreadId, message, wParam, lParam) != FALSE;
}

std::intptr_t Send(Handle hwnd, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    return SendMessageW(H(hwnd), message, wParam, lParam);
}

std::uint32_t CurrentThreadId() {
    return GetCurrentThreadId();
}

std::uint32_t WindowThreadId(Handle hwnd) {
    return GetWindowThreadProcessId(H(hwnd), nullptr);
}

std::uint32_t TickCount() {
    return GetTickCount();
}

Handle CreateMessageWindow(DialogHandler handler) {
    g_pfnMailboxHandler = handler;
    static const wchar_t* const kClass = L"TessalyMailbox";
    static const ATOM s_atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &MailboxProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        return RegisterClassExW(&wc);
    }();
    if (s_atom == 0) {
        return nullptr;
    }
    return CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

bool IsWindow(Handle hwnd) {
    return hwnd != nullptr && ::IsWindow(H(hwnd)) != FALSE;
}

std::vector<Handle> GetChildren(Handle hwnd) {
    std::vector<Handle> vecChildren;
    for (HWND hChild = GetWindow(H(hwnd), GW_CHILD); hChild != nullptr;
         hChild = GetWindow(hChild, GW_HWNDNEXT)) {
        vecChildren.push_back(hChild);
    }
    return vecChildren;
}

bool InSendMessage() {
    return ::InSendMessage() != FALSE;
}

Handle GetDlgItem(Handle hDialog, int nId) {
    return ::GetDlgItem(H(hDialog), nId);
}

int GetDlgCtrlID(Handle hwnd) {
    return ::GetDlgCtrlID(H(hwnd));
}

Handle GetParent(Handle hwnd) {
    return ::GetParent(H(hwnd));
}

Handle GetActiveWindow() {
    return ::GetActiveWindow();
}

Handle GetFocus() {
    return ::GetFocus();
}

Handle SetFocus(Handle hwnd) {
    return ::SetFocus(H(hwnd));
}

bool EnableWindow(Handle hwnd, bool bEnable) {
    return ::EnableWindow(H(hwnd), bEnable ? TRUE : FALSE) != FALSE;
}

bool IsWindowEnabled(Handle hwnd) {
    return ::IsWindowEnabled(H(hwnd)) != FALSE;
}

bool IsWindowVisible(Handle hwnd) {
    return ::IsWindowVisible(H(hwnd)) != FALSE;
}

bool ShowWindow(Handle hwnd, int nCmdShow) {
    return ::ShowWindow(H(hwnd), nCmdShow) != FALSE;
}

bool IsIconic(Handle hwnd) {
    return ::IsIconic(H(hwnd)) != FALSE;
}

bool SetForegroundWindow(Handle hwnd) {
    return ::SetForegroundWindow(H(hwnd)) != FALSE;
}

std::uint32_t GetStyle(Handle hwnd) {
    return static_cast<std::uint32_t>(GetWindowLongPtrW(H(hwnd), GWL_STYLE));
}

void SetStyle(Handle hwnd, std::uint32_t dwStyle) {
    SetWindowLongPtrW(H(hwnd), GWL_STYLE, static_cast<LONG_PTR>(dwStyle));
}

std::wstring GetClassName(Handle hwnd) {
    wchar_t acName[64] = {};
    const int n = GetClassNameW(H(hwnd), acName, 64);
    return std::wstring(acName, n > 0 ? static_cast<size_t>(n) : 0);
}

void SetText(Handle hwnd, std::wstring_view strText) {
    const std::wstring str(strText);
    SetWindowTextW(H(hwnd), str.c_str());
}

std::wstring GetText(Handle hwnd) {
    const int nLength = GetWindowTextLengthW(H(hwnd));
    if (nLength <= 0) {
        return {};
    }
    std::wstring str(static_cast<size_t>(nLength) + 1, L'\0');
    const int nCopied = GetWindowTextW(H(hwnd), str.data(), nLength + 1);
    str.resize(nCopied > 0 ? static_cast<size_t>(nCopied) : 0);
    return str;
}

void InvalidateRect(Handle hwnd, const Rect* pRect, bool bErase) {
    RECT rc{};
    if (pRect != nullptr) {
        rc = RECT{pRect->left, pRect->top, pRect->right, pRect->bottom};
    }
    ::InvalidateRect(H(hwnd), pRect != nullptr ? &rc : nullptr, bErase ? TRUE : FALSE);
}

void UpdateWindow(Handle hwnd) {
    ::UpdateWindow(H(hwnd));
}

void SetRedraw(Handle hwnd, bool bRedraw) {
    SendMessageW(H(hwnd), WM_SETREDRAW, bRedraw ? TRUE : FALSE, 0);
    if (bRedraw) {
        RedrawWindow(H(hwnd), nullptr, nullptr,
                     RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
}

bool LockWindowUpdate(Handle hwnd) {
    return ::LockWindowUpdate(H(hwnd)) != FALSE;
}

namespace {
bool CopyRect(const RECT& rc, Rect* pRect) {
    *pRect = Rect{rc.left, rc.top, rc.right, rc.bottom};
    return true;
}
} // namespace

bool GetClientRect(Handle hwnd, Rect* pRect) {
    RECT rc;
    return ::GetClientRect(H(hwnd), &rc) != FALSE && CopyRect(rc, pRect);
}

bool GetWindowRect(Handle hwnd, Rect* pRect) {
    RECT rc;
    return ::GetWindowRect(H(hwnd), &rc) != FALSE && CopyRect(rc, pRect);
}

bool ScreenToClient(Handle hwnd, std::int32_t* px, std::int32_t* py) {
    POINT pt{*px, *py};
    if (!::ScreenToClient(H(hwnd), &pt)) {
        return false;
    }
    *px = pt.x;
    *py = pt.y;
    return true;
}

bool ClientToScreen(Handle hwnd, std::int32_t* px, std::int32_t* py) {
    POINT pt{*px, *py};
    if (!::ClientToScreen(H(hwnd), &pt)) {
        return false;
    }
    *px = pt.x;
    *py = pt.y;
    return true;
}

bool GetCursorPos(std::int32_t* px, std::int32_t* py) {
    POINT pt{};
    if (!::GetCursorPos(&pt)) {
        return false;
    }
    *px = pt.x;
    *py = pt.y;
    return true;
}

int GetSystemMetrics(int nIndex) {
    return ::GetSystemMetrics(nIndex);
}

std::uintptr_t SetTimer(Handle hwnd, std::uintptr_t nIdEvent, unsigned nElapse) {
    return ::SetTimer(H(hwnd), nIdEvent, nElapse, nullptr);
}

bool KillTimer(Handle hwnd, std::uintptr_t nIdEvent) {
    return ::KillTimer(H(hwnd), nIdEvent) != FALSE;
}

Handle GetSystemMenu(Handle hwnd, bool bRevert) {
    return ::GetSystemMenu(H(hwnd), bRevert ? TRUE : FALSE);
}

bool AppendMenu(Handle hMenu, unsigned nFlags, std::uintptr_t nId, std::wstring_view strText) {
    const std::wstring str(strText);
    return AppendMenuW(static_cast<HMENU>(hMenu), nFlags, nId,
                       (nFlags & MF_SEPARATOR) != 0 ? nullptr : str.c_str()) != FALSE;
}

unsigned EnableMenuItem(Handle hMenu, unsigned nId, unsigned nEnable) {
    return static_cast<unsigned>(::EnableMenuItem(static_cast<HMENU>(hMenu), nId, nEnable));
}

unsigned GetMenuState(Handle hMenu, unsigned nId, unsigned nFlags) {
    return ::GetMenuState(static_cast<HMENU>(hMenu), nId, nFlags);
}

Handle BeginPaint(Handle hwnd) {
    PAINTSTRUCT& ps = Paints()[H(hwnd)];
    return ::BeginPaint(H(hwnd), &ps);
}

void EndPaint(Handle hwnd) {
    auto it = Paints().find(H(hwnd));
    if (it != Paints().end()) {
        ::EndPaint(H(hwnd), &it->second);
        Paints().erase(it);
    }
}

std::uint32_t SetTextColor(Handle hdc, std::uint32_t crColor) {
    return ::SetTextColor(static_cast<HDC>(hdc), crColor);
}

std::uint32_t SetBkColor(Handle hdc, std::uint32_t crColor) {
    return ::SetBkColor(static_cast<HDC>(hdc), crColor);
}

int SetBkMode(Handle hdc, int nMode) {
    return ::SetBkMode(static_cast<HDC>(hdc), nMode);
}

bool DrawIcon(Handle hdc, int x, int y, Handle hIcon) {
    return ::DrawIcon(static_cast<HDC>(hdc), x, y, static_cast<HICON>(hIcon)) != FALSE;
}

Handle CreateSolidBrush(std::uint32_t crColor) {
    return ::CreateSolidBrush(crColor);
}

bool GetBrushColor(Handle hBrush, std::uint32_t* pcrColor) {
    LOGBRUSH lb{};
    if (hBrush == nullptr || GetObjectW(static_cast<HGDIOBJ>(hBrush), sizeof(lb), &lb) == 0 ||
        lb.lbStyle != BS_SOLID) {
        return false;
    }
    *pcrColor = lb.lbColor;
    return true;
}

bool DeleteObject(Handle hObject) {
    return ::DeleteObject(static_cast<HGDIOBJ>(hObject)) != FALSE;
}

Handle CreateFont(int nHeight, int nWeight, bool bItalic, bool bUnderline,
                  std::wstring_view strFace) {
    const std::wstring str(strFace);
    return CreateFontW(nHeight, 0, 0, 0, nWeight, bItalic ? TRUE : FALSE, bUnderline ? TRUE : FALSE,
                       FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, str.c_str());
}

int ButtonGetCheck(Handle hwnd) {
    return static_cast<int>(SendMessageW(H(hwnd), BM_GETCHECK, 0, 0));
}

void ButtonSetCheck(Handle hwnd, int nCheck) {
    SendMessageW(H(hwnd), BM_SETCHECK, static_cast<WPARAM>(nCheck), 0);
}

void ButtonClick(Handle hwnd) {
    SendMessageW(H(hwnd), BM_CLICK, 0, 0);
}

void EditSetReadOnly(Handle hwnd, bool bReadOnly) {
    SendMessageW(H(hwnd), EM_SETREADONLY, bReadOnly ? TRUE : FALSE, 0);
}

void ProgressSetRange(Handle hwnd, int nLower, int nUpper) {
    SendMessageW(H(hwnd), PBM_SETRANGE32, static_cast<WPARAM>(nLower), nUpper);
}

void ProgressGetRange(Handle hwnd, int* pnLower, int* pnUpper) {
    PBRANGE range{};
    SendMessageW(H(hwnd), PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    *pnLower = range.iLow;
    *pnUpper = range.iHigh;
}

int ProgressSetPos(Handle hwnd, int nPos) {
    return static_cast<int>(SendMessageW(H(hwnd), PBM_SETPOS, static_cast<WPARAM>(nPos), 0));
}

int ProgressGetPos(Handle hwnd) {
    return static_cast<int>(SendMessageW(H(hwnd), PBM_GETPOS, 0, 0));
}

int ListBoxAddString(Handle hwnd, std::wstring_view strText) {
    const std::wstring str(strText);
    return static_cast<int>(
        SendMessageW(H(hwnd), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(str.c_str())));
}

void ListBoxReset(Handle hwnd) {
    SendMessageW(H(hwnd), LB_RESETCONTENT, 0, 0);
}

int ListBoxGetCount(Handle hwnd) {
    return static_cast<int>(SendMessageW(H(hwnd), LB_GETCOUNT, 0, 0));
}

int ListBoxGetCurSel(Handle hwnd) {
    return static_cast<int>(SendMessageW(H(hwnd), LB_GETCURSEL, 0, 0));
}

int ListBoxSetCurSel(Handle hwnd, int nSelect) {
    return static_cast<int>(SendMessageW(H(hwnd), LB_SETCURSEL, static_cast<WPARAM>(nSelect), 0));
}

std::uintptr_t ListBoxGetItemData(Handle hwnd, int nIndex) {
    return static_cast<std::uintptr_t>(
        SendMessageW(H(hwnd), LB_GETITEMDATA, static_cast<WPARAM>(nIndex), 0));
}

int ListBoxSetItemData(Handle hwnd, int nIndex, std::uintptr_t dwData) {
    return static_cast<int>(SendMessageW(H(hwnd), LB_SETITEMDATA, static_cast<WPARAM>(nIndex),
                                         static_cast<LPARAM>(dwData)));
}

bool ListBoxGetText(Handle hwnd, int nIndex, std::wstring* pstrText) {
    const LRESULT nLength = SendMessageW(H(hwnd), LB_GETTEXTLEN, static_cast<WPARAM>(nIndex), 0);
    if (nLength == LB_ERR) {
        return false;
    }
    std::wstring str(static_cast<size_t>(nLength) + 1, L'\0');
    const LRESULT nCopied = SendMessageW(H(hwnd), LB_GETTEXT, static_cast<WPARAM>(nIndex),
                                         reinterpret_cast<LPARAM>(str.data()));
    if (nCopied == LB_ERR) {
        return false;
    }
    str.resize(static_cast<size_t>(nCopied));
    *pstrText = std::move(str);
    return true;
}

int ListBoxFindString(Handle hwnd, int nStartAfter, std::wstring_view strPrefix) {
    const std::wstring str(strPrefix);
    return static_cast<int>(SendMessageW(H(hwnd), LB_FINDSTRING, static_cast<WPARAM>(nStartAfter),
                                         reinterpret_cast<LPARAM>(str.c_str())));
}

int ListBoxSetItemHeight(Handle hwnd, int nIndex, int cy) {
    return static_cast<int>(
        SendMessageW(H(hwnd), LB_SETITEMHEIGHT, static_cast<WPARAM>(nIndex), MAKELPARAM(cy, 0)));
}

int ListBoxGetItemHeight(Handle hwnd, int nIndex) {
    return static_cast<int>(
        SendMessageW(H(hwnd), LB_GETITEMHEIGHT, static_cast<WPARAM>(nIndex), 0));
}

std::wstring Utf8ToWide(std::string_view strUtf8) {
    if (strUtf8.empty()) {
        return {};
    }
    const int nSize = static_cast<int>(strUtf8.size());
    const int nWide = MultiByteToWideChar(CP_UTF8, 0, strUtf8.data(), nSize, nullptr, 0);
    std::wstring str(static_cast<size_t>(nWide > 0 ? nWide : 0), L'\0');
    if (nWide > 0) {
        MultiByteToWideChar(CP_UTF8, 0, strUtf8.data(), nSize, str.data(), nWide);
    }
    return str;
}

std::string WideToUtf8(std::wstring_view strWide) {
    if (strWide.empty()) {
        return {};
    }
    const int nSize = static_cast<int>(strWide.size());
    const int nBytes =
        WideCharToMultiByte(CP_UTF8, 0, strWide.data(), nSize, nullptr, 0, nullptr, nullptr);
    std::string str(static_cast<size_t>(nBytes > 0 ? nBytes : 0), '\0');
    if (nBytes > 0) {
        WideCharToMultiByte(CP_UTF8, 0, strWide.data(), nSize, str.data(), nBytes, nullptr,
                            nullptr);
    }
    return str;
}

} // namespace tessaly::framework::native
