// CWnd on Windows' own windows: each call is the Windows function of the same name on the handle,
// with text as UTF-16 through the layer's codec. Windows serves calls from other threads itself.
#include "platform/framework/ui/Wnd.h"

#include "platform/framework/ui/Dialog.h"
#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/WindowThread.h"
#include "platform/framework/ui/windows/NativeWindow.h"
#include "platform/framework/ui/windows/UiInternal.h"

using namespace tessaly::framework;
using namespace tessaly::framework::detail;

namespace {

constexpr unsigned kWmGetIcon = 0x007F;

RECT ToRect(const native::Rect& rc) {
    return RECT{rc.left, rc.top, rc.right, rc.bottom};
}

} // namespace

CWnd::~CWnd() = default;

CWnd* CWnd::FromHandle(HWND hWnd) {
    WindowInfo info;
    return FindWindowInfo(hWnd, &info) ? info.pPermanent : nullptr;
}

CWnd* CWnd::GetDlgItem(int nID) const {
    if (m_hWnd == nullptr) {
        return nullptr;
    }
    return FromHandle(native::GetDlgItem(m_hWnd, nID));
}

int CWnd::GetDlgCtrlID() const {
    return m_hWnd != nullptr ? native::GetDlgCtrlID(m_hWnd) : 0;
}

CWnd* CWnd::GetParent() const {
    return m_hWnd != nullptr ? FromHandle(native::GetParent(m_hWnd)) : nullptr;
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    // The previous state, as Windows answers: nonzero when the window was disabled.
    return m_hWnd != nullptr && native::EnableWindow(m_hWnd, bEnable != FALSE) ? TRUE : FALSE;
}

BOOL CWnd::IsWindowEnabled() const {
    return m_hWnd != nullptr && native::IsWindowEnabled(m_hWnd) ? TRUE : FALSE;
}

BOOL CWnd::IsWindowVisible() const {
    return m_hWnd != nullptr && native::IsWindowVisible(m_hWnd) ? TRUE : FALSE;
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    return m_hWnd != nullptr && native::ShowWindow(m_hWnd, nCmdShow) ? TRUE : FALSE;
}

void CWnd::SetWindowText(LPCTSTR lpszString) {
    if (m_hWnd != nullptr) {
        native::SetText(m_hWnd, ToWide(lpszString));
    }
}

void CWnd::GetWindowText(CString& rString) const {
    rString = m_hWnd != nullptr ? FromWide(native::GetText(m_hWnd)) : CString();
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) {
    if (m_hWnd == nullptr) {
        return;
    }
    if (lpRect != nullptr) {
        const native::Rect rc{lpRect->left, lpRect->top, lpRect->right, lpRect->bottom};
        native::InvalidateRect(m_hWnd, &rc, bErase != FALSE);
    } else {
        native::InvalidateRect(m_hWnd, nullptr, bErase != FALSE);
    }
}

void CWnd::UpdateWindow() {
    if (m_hWnd != nullptr) {
        native::UpdateWindow(m_hWnd);
    }
}

void CWnd::GetClientRect(LPRECT lpRect) const {
    native::Rect rc{0, 0, 0, 0};
    if (m_hWnd != nullptr) {
        native::GetClientRect(m_hWnd, &rc);
    }
    *lpRect = ToRect(rc);
}

void CWnd::GetWindowRect(LPRECT lpRect) const {
    native::Rect rc{0, 0, 0, 0};
    if (m_hWnd != nullptr) {
        native::GetWindowRect(m_hWnd, &rc);
    }
    *lpRect = ToRect(rc);
}

void CWnd::ScreenToClient(LPPOINT lpPoint) const {
    if (m_hWnd != nullptr) {
        native::ScreenToClient(m_hWnd, &lpPoint->x, &lpPoint->y);
    }
}

void CWnd::ClientToScreen(LPPOINT lpPoint) const {
    if (m_hWnd != nullptr) {
        native::ClientToScreen(m_hWnd, &lpPoint->x, &lpPoint->y);
    }
}

BOOL CWnd::IsIconic() const {
    return m_hWnd != nullptr && native::IsIconic(m_hWnd) ? TRUE : FALSE;
}

CWnd* CWnd::SetFocus() {
    return m_hWnd != nullptr ? FromHandle(native::SetFocus(m_hWnd)) : nullptr;
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
    if (m_hWnd != nullptr && pFont != nullptr) {
        native::Send(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(pFont->m_hObject),
                     bRedraw != FALSE ? 1 : 0);
    }
}

void CWnd::SetRedraw(BOOL bRedraw) {
    if (m_hWnd != nullptr) {
        native::SetRedraw(m_hWnd, bRedraw != FALSE);
    }
}

CMenu* CWnd::GetSystemMenu(BOOL /*bRevert*/) const {
    CMenu* pMenu = nullptr;
    RunOnWindowThread([&] { pMenu = m_hWnd != nullptr ? SystemMenuOf(m_hWnd) : nullptr; });
    return pMenu;
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    if (m_hWnd == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<HICON>(native::Send(
        m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

HICON CWnd::GetIcon(BOOL bBigIcon) const {
    if (m_hWnd == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<HICON>(
        native::Send(m_hWnd, kWmGetIcon, bBigIcon ? ICON_BIG : ICON_SMALL, 0));
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* /*lpfnTimer*/) {
    return m_hWnd != nullptr ? native::SetTimer(m_hWnd, nIDEvent, nElapse) : 0;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
    return m_hWnd != nullptr && native::KillTimer(m_hWnd, nIDEvent) ? TRUE : FALSE;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_hWnd == nullptr) {
        return 0;
    }
    const bool bHere = IsWindowThread();
    if (bHere) {
        BeginDirectSend();
    }
    const LRESULT lResult = native::Send(m_hWnd, message, wParam, lParam);
    if (bHere) {
        EndDirectSend();
    }
    return lResult;
}

void CWnd::DragAcceptFiles(BOOL bAccept) {
    ::DragAcceptFiles(m_hWnd, bAccept);
}

LRESULT CWnd::DefWindowProc(const MSG& msg) {
    return native::CallDialogDefault(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

CWnd* AfxGetMainWnd() {
    return MainWindow();
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return hWnd != nullptr && native::Post(hWnd, Msg, wParam, lParam) ? TRUE : FALSE;
}
