#include "platform/framework/ui/Gdi.h"

#include <QApplication>
#include <QCursor>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QStyle>
#include <mutex>
#include <unordered_set>

#include "platform/framework/ui/WindowThread.h"
#include "platform/framework/ui/Wnd.h"
#include "platform/framework/ui/qt/UiInternal.h"
#include "platform/framework/ui/qt/Widgets.h"

using namespace tessaly::framework;
using namespace tessaly::framework::detail;

namespace {

struct SolidBrush {
    COLORREF crColor;
};

// Brushes by address, so a deleted or foreign handle is never read.
std::mutex& BrushMutex() {
    static auto* pMutex = new std::mutex;
    return *pMutex;
}
std::unordered_set<const void*>& Brushes() {
    static auto* pSet = new std::unordered_set<const void*>;
    return *pSet;
}

} // namespace

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    auto* pBrush = new SolidBrush{color};
    std::lock_guard lock(BrushMutex());
    Brushes().insert(pBrush);
    return reinterpret_cast<HBRUSH>(pBrush);
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    std::lock_guard lock(BrushMutex());
    if (ho == nullptr || Brushes().erase(ho) == 0) {
        return FALSE;
    }
    delete static_cast<SolidBrush*>(ho);
    return TRUE;
}

bool GetBrushColor(HBRUSH hBrush, COLORREF* pcrColor) {
    std::lock_guard lock(BrushMutex());
    if (hBrush == nullptr || Brushes().count(hBrush) == 0) {
        return false;
    }
    if (pcrColor != nullptr) {
        *pcrColor = reinterpret_cast<const SolidBrush*>(hBrush)->crColor;
    }
    return true;
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
    if (m_hDC == nullptr || hIcon == nullptr) {
        return FALSE;
    }
    auto* pPainter = reinterpret_cast<QPainter*>(m_hDC);
    reinterpret_cast<const QIcon*>(hIcon)->paint(pPainter, QRect(x, y, 32, 32));
    return TRUE;
}

CPaintDC::CPaintDC(CWnd* pWnd) {
    // Painting is only possible inside the window's own paint event.
    auto* pDialog = pWnd != nullptr ? dynamic_cast<DialogWidget*>(ToWidget(pWnd->m_hWnd)) : nullptr;
    if (pDialog != nullptr && pDialog->m_bInPaint && IsWindowThread()) {
        m_hDC = reinterpret_cast<HDC>(new QPainter(pDialog));
    }
}

CPaintDC::~CPaintDC() {
    delete reinterpret_cast<QPainter*>(m_hDC);
}

CGdiObject::~CGdiObject() {
    DeleteObject();
}

BOOL CGdiObject::DeleteObject() {
    if (m_hObject == nullptr) {
        return FALSE;
    }
    BOOL bOk = TRUE;
    if (m_bFont) {
        delete static_cast<QFont*>(m_hObject);
    } else {
        bOk = ::DeleteObject(m_hObject);
    }
    m_hObject = nullptr;
    m_bFont = false;
    return bOk;
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor) {
    DeleteObject();
    m_hObject = ::CreateSolidBrush(crColor);
    return m_hObject != nullptr;
}

BOOL CFont::CreateFont(int nHeight, int /*nWidth*/, int /*nEscapement*/, int /*nOrientation*/,
                       int nWeight, BYTE bItalic, BYTE bUnderline, BYTE /*cStrikeOut*/,
                       BYTE /*nCharSet*/, BYTE /*nOutPrecision*/, BYTE /*nClipPrecision*/,
                       BYTE /*nQuality*/, BYTE /*nPitchAndFamily*/, LPCTSTR lpszFacename) {
    DeleteObject();
    InstallFontSubstitutions();
    auto* pFont = new QFont(ToQString(lpszFacename != nullptr ? lpszFacename : ""));
    // A positive height is the cell height; the character height is about four fifths of it.
    // A width stretches the glyphs on Windows; here the face keeps its own proportions.
    if (nHeight > 0) {
        pFont->setPixelSize(std::max(1, nHeight * 4 / 5));
    } else if (nHeight < 0) {
        pFont->setPixelSize(-nHeight);
    } else {
        pFont->setPixelSize(12);
    }
    if (nWeight >= 700) {
        pFont->setBold(true);
    }
    pFont->setItalic(bItalic != 0);
    pFont->setUnderline(bUnderline != 0);
    m_hObject = pFont;
    m_bFont = true;
    return TRUE;
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem) {
    if ((nFlags & MF_SEPARATOR) == 0 && (lpszNewItem == nullptr || *lpszNewItem == '\0')) {
        return FALSE;
    }
    m_vecItems.push_back(Item{nFlags, nIDNewItem, CString(lpszNewItem)});
    return TRUE;
}

int CMenu::GetMenuItemCount() const {
    return static_cast<int>(m_vecItems.size());
}

namespace {

// The index of the appended item with command id nID, or at position nID (MF_BYPOSITION); -1
// when there is none.
int FindMenuItem(const std::vector<CMenu::Item>& vecItems, UINT nID, UINT nFlags) {
    if ((nFlags & MF_BYPOSITION) != 0) {
        return nID < vecItems.size() ? static_cast<int>(nID) : -1;
    }
    for (std::size_t i = 0; i < vecItems.size(); ++i) {
        if ((vecItems[i].nFlags & MF_SEPARATOR) == 0 && vecItems[i].nID == nID) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

constexpr UINT kMenuStateBits = MF_GRAYED | MF_DISABLED;

} // namespace

UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable) {
    const int i = FindMenuItem(m_vecItems, nIDEnableItem, nEnable);
    if (i < 0) {
        return 0xFFFFFFFFu;
    }
    UINT& nFlags = m_vecItems[static_cast<std::size_t>(i)].nFlags;
    const UINT nPrevious = nFlags & kMenuStateBits;
    nFlags = (nFlags & ~kMenuStateBits) | (nEnable & kMenuStateBits);
    return nPrevious;
}

UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const {
    const int i = FindMenuItem(m_vecItems, nID, nFlags);
    return i >= 0 ? m_vecItems[static_cast<std::size_t>(i)].nFlags & (kMenuStateBits | MF_SEPARATOR)
                  : 0xFFFFFFFFu;
}

int WINAPI GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    default:
        return 0;
    }
}

BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
    if (lpPoint == nullptr) {
        return FALSE;
    }
    const QPoint pt = LastMousePosition();
    *lpPoint = POINT{pt.x(), pt.y()};
    return TRUE;
}

BOOL WINAPI LockWindowUpdate(HWND hWndLock) {
    // One window at a time, as on Windows: a second lock fails; null unlocks.
    static HWND s_hLocked = nullptr;
    BOOL bOk = FALSE;
    RunOnWindowThread([&] {
        if (hWndLock == nullptr) {
            if (s_hLocked != nullptr) {
                if (CWnd* pLocked = CWnd::FromHandle(s_hLocked)) {
                    pLocked->SetRedraw(TRUE);
                }
                s_hLocked = nullptr;
            }
            bOk = TRUE;
        } else if (s_hLocked == nullptr || !IsLiveWindow(s_hLocked)) {
            if (CWnd* pWnd = CWnd::FromHandle(hWndLock)) {
                pWnd->SetRedraw(FALSE);
                s_hLocked = hWndLock;
                bOk = TRUE;
            }
        }
    });
    return bOk;
}
