// Drawing objects on Windows' GDI: brushes, fonts, the paint's device context, the system menu.
#include "platform/framework/ui/Gdi.h"

#include "platform/framework/ui/Wnd.h"
#include "platform/framework/ui/windows/NativeWindow.h"
#include "platform/framework/ui/windows/UiInternal.h"

using namespace tessaly::framework;
using namespace tessaly::framework::detail;

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    return static_cast<HBRUSH>(native::CreateSolidBrush(color));
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    return ho != nullptr && native::DeleteObject(ho) ? TRUE : FALSE;
}

bool GetBrushColor(HBRUSH hBrush, COLORREF* pcrColor) {
    std::uint32_t crColor = 0;
    if (!native::GetBrushColor(hBrush, &crColor)) {
        return false;
    }
    if (pcrColor != nullptr) {
        *pcrColor = crColor;
    }
    return true;
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
    return m_hDC != nullptr && hIcon != nullptr && native::DrawIcon(m_hDC, x, y, hIcon) ? TRUE
                                                                                        : FALSE;
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_pWnd(pWnd) {
    if (pWnd != nullptr && pWnd->m_hWnd != nullptr) {
        m_hDC = static_cast<HDC>(native::BeginPaint(pWnd->m_hWnd));
    }
}

CPaintDC::~CPaintDC() {
    if (m_hDC != nullptr && m_pWnd != nullptr) {
        native::EndPaint(m_pWnd->m_hWnd);
    }
}

CGdiObject::~CGdiObject() {
    DeleteObject();
}

BOOL CGdiObject::DeleteObject() {
    if (m_hObject == nullptr) {
        return FALSE;
    }
    const bool bDeleted = native::DeleteObject(m_hObject);
    m_hObject = nullptr;
    m_bFont = false;
    return bDeleted ? TRUE : FALSE;
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor) {
    DeleteObject();
    m_hObject = native::CreateSolidBrush(crColor);
    return m_hObject != nullptr ? TRUE : FALSE;
}

BOOL CFont::CreateFont(int nHeight, int /*nWidth*/, int /*nEscapement*/, int /*nOrientation*/,
                       int nWeight, BYTE bItalic, BYTE bUnderline, BYTE /*cStrikeOut*/,
                       BYTE /*nCharSet*/, BYTE /*nOutPrecision*/, BYTE /*nClipPrecision*/,
                       BYTE /*nQuality*/, BYTE /*nPitchAndFamily*/, LPCTSTR lpszFacename) {
    DeleteObject();
    m_hObject =
        native::CreateFont(nHeight, nWeight, bItalic != 0, bUnderline != 0, ToWide(lpszFacename));
    m_bFont = m_hObject != nullptr;
    return m_hObject != nullptr ? TRUE : FALSE;
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem) {
    if ((nFlags & MF_SEPARATOR) == 0 && (lpszNewItem == nullptr || *lpszNewItem == '\0')) {
        return FALSE;
    }
    if (m_hMenu != nullptr &&
        !native::AppendMenu(m_hMenu, nFlags, nIDNewItem,
                            (nFlags & MF_SEPARATOR) != 0 ? std::wstring() : ToWide(lpszNewItem))) {
        return FALSE;
    }
    m_vecItems.push_back(Item{nFlags, nIDNewItem, CString(lpszNewItem)});
    return TRUE;
}

int CMenu::GetMenuItemCount() const {
    return static_cast<int>(m_vecItems.size());
}

UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable) {
    return m_hMenu != nullptr ? native::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable)
                              : 0xFFFFFFFFu;
}

UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const {
    return m_hMenu != nullptr ? native::GetMenuState(m_hMenu, nID, nFlags) : 0xFFFFFFFFu;
}

int WINAPI GetSystemMetrics(int nIndex) {
    return native::GetSystemMetrics(nIndex);
}

BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
    return lpPoint != nullptr && native::GetCursorPos(&lpPoint->x, &lpPoint->y) ? TRUE : FALSE;
}

BOOL WINAPI LockWindowUpdate(HWND hWndLock) {
    return native::LockWindowUpdate(hWndLock) ? TRUE : FALSE;
}
