#include "platform/framework/ui/Wnd.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QWindow>
#include <map>

#include "platform/framework/ui/Dialog.h"
#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/WindowThread.h"
#include "platform/framework/ui/qt/ListModel.h"
#include "platform/framework/ui/qt/UiInternal.h"
#include "platform/framework/ui/qt/Widgets.h"

using namespace tessaly::framework;
using namespace tessaly::framework::detail;

namespace {

// Runs fn(widget) on the window thread when hWnd names a live window.
template <typename Fn> bool WithWidget(HWND hWnd, Fn fn) {
    bool bLive = false;
    RunOnWindowThread([&] {
        QWidget* pWidget = ToWidget(hWnd);
        if (pWidget != nullptr) {
            bLive = true;
            fn(pWidget);
        }
    });
    return bLive;
}

RECT ToRect(const QRect& rc) {
    return RECT{rc.left(), rc.top(), rc.left() + rc.width(), rc.top() + rc.height()};
}

// Timers by window and id, on the window thread only.
std::map<std::pair<HWND, UINT_PTR>, QTimer*>& Timers() {
    static auto* pTimers = new std::map<std::pair<HWND, UINT_PTR>, QTimer*>;
    return *pTimers;
}

} // namespace

CWnd::~CWnd() = default;

CWnd* CWnd::FromHandle(HWND hWnd) {
    WindowInfo info;
    return FindWindowInfo(hWnd, &info) ? info.pPermanent : nullptr;
}

CWnd* CWnd::GetDlgItem(int nID) const {
    CWnd* pFound = nullptr;
    WithWidget(m_hWnd, [&](QWidget* pWidget) {
        for (QWidget* pChild : pWidget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            WindowInfo info;
            if (FindWindowInfo(ToHwnd(pChild), &info) && info.nId == nID) {
                pFound = info.pPermanent;
                return;
            }
        }
    });
    return pFound;
}

int CWnd::GetDlgCtrlID() const {
    WindowInfo info;
    return FindWindowInfo(m_hWnd, &info) ? info.nId : 0;
}

CWnd* CWnd::GetParent() const {
    CWnd* pParent = nullptr;
    WithWidget(m_hWnd, [&](QWidget* pWidget) {
        QWidget* pOwner = OwningWindow(pWidget->parentWidget());
        pParent = pOwner != nullptr ? FromHandle(ToHwnd(pOwner)) : nullptr;
    });
    return pParent;
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    BOOL bWasDisabled = FALSE;
    WithWidget(m_hWnd, [&](QWidget* pWidget) {
        bWasDisabled = pWidget->isEnabled() ? FALSE : TRUE;
        pWidget->setEnabled(bEnable != FALSE);
    });
    return bWasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
    BOOL bEnabled = FALSE;
    WithWidget(m_hWnd, [&](QWidget* pWidget) { bEnabled = pWidget->isEnabled() ? TRUE : FALSE; });
    return bEnabled;
}

BOOL CWnd::IsWindowVisible() const {
    BOOL bVisible = FALSE;
    WithWidget(m_hWnd, [&](QWidget* pWidget) { bVisible = pWidget->isVisible() ? TRUE : FALSE; });
    return bVisible;
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    BOOL bWasVisible = FALSE;
    WithWidget(m_hWnd, [&](QWidget* pWidget) {
        bWasVisible = pWidget->isVisible() ? TRUE : FALSE;
        pWidget->setVisible(nCmdShow != SW_HIDE);
    });
    return bWasVisible;
}

void CWnd::SetWindowText(LPCTSTR lpszString) {
    const QString strText = ToQString(lpszString != nullptr ? lpszString : "");
    WithWidget(m_hWnd, [&](QWidget* pWidget) {
        if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget)) {
            pEdit->setText(strText);
            pEdit->setCursorPosition(0);
        } else if (auto* pLabel = qobject_cast<QLabel*>(pWidget)) {
            pLabel->setText(strText);
        } else if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget)) {
            pButton->setText(strText);
        } else if (pWidget->isWindow()) {
            pWidget->setWindowTitle(strText);
        }
    });
}

void CWnd::GetWindowText(CString& rString) const {
    QString strText;
    WithWidget(m_hWnd, [&](QWidget* pWidget) {
        if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget)) {
            strText = pEdit->text();
        } else if (auto* pLabel = qobject_cast<QLabel*>(pWidget)) {
            strText = pLabel->text();
        } else if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget)) {
            strText = pButton->text();
        } else if (pWidget->isWindow()) {
            strText = pWidget->windowTitle();
        }
    });
    rString = FromQString(strText);
}

void CWnd::InvalidateRect(LPCRECT /*lpRect*/, BOOL /*bErase*/) {
    WithWidget(m_hWnd, [](QWidget* pWidget) {
        // A repaint asks the dialog for the control's colours again, as WM_CTLCOLOR does.
        if (pWidget->isWindow()) {
            RefreshDialogColors(pWidget);
            pWidget->update();
        } else {
            RefreshControlColors(pWidget);
            pWidget->update();
        }
    });
}

void CWnd::UpdateWindow() {
    WithWidget(m_hWnd, [](QWidget* pWidget) { pWidget->repaint(); });
}

void CWnd::GetClientRect(LPRECT lpRect) const {
    if (lpRect == nullptr) {
        return;
    }
    *lpRect = RECT{0, 0, 0, 0};
    WithWidget(m_hWnd, [&](QWidget* pWidget) {
        *lpRect = RECT{0, 0, pWidget->width(), pWidget->height()};
        if (auto* pArea = qobject_cast<QAbstractScrollArea*>(pWidget)) {
            // A list's client area is inside its frame and scroll bars.
            const QRect rc = pArea->viewport()->geometry();
            *lpRect = RECT{0, 0, rc.width(), rc.height() + rc.top() - pArea->frameWidth()};
        }
    });
}

void CWnd::GetWindowRect(LPRECT lpRect) const {
    if (lpRect == nullptr) {
        return;
    }
    *lpRect = RECT{0, 0, 0, 0};
    WithWidget(m_hWnd, [&](QWidget* pWidget) {
        if (pWidget->isWindow()) {
            *lpRect = ToRect(pWidget->frameGeometry());
        } else {
            *lpRect = ToRect(QRect(pWidget->mapToGlobal(QPoint(0, 0)), pWidget->size()));
        }
    });
}

void CWnd::ScreenToClient(LPPOINT lpPoint) const {
    if (lpPoint == nullptr) {
        return;
    }
    WithWidget(m_hWnd, [&](QWidget* pWidget) {
        const QPoint pt = pWidget->mapFromGlobal(QPoint(lpPoint->x, lpPoint->y));
        *lpPoint = POINT{pt.x(), pt.y()};
    });
}

void CWnd::ClientToScreen(LPPOINT lpPoint) const {
    if (lpPoint == nullptr) {
        return;
    }
    WithWidget(m_hWnd, [&](QWidget* pWidget) {
        const QPoint pt = pWidget->mapToGlobal(QPoint(lpPoint->x, lpPoint->y));
        *lpPoint = POINT{pt.x(), pt.y()};
    });
}

BOOL CWnd::IsIconic() const {
    BOOL bIconic = FALSE;
    WithWidget(m_hWnd, [&](QWidget* pWidget) { bIconic = pWidget->isMinimized() ? TRUE : FALSE; });
    return bIconic;
}

CWnd* CWnd::SetFocus() {
    WithWidget(m_hWnd, [](QWidget* pWidget) { pWidget->setFocus(Qt::OtherFocusReason); });
    return nullptr;
}

void CWnd::SetFont(CFont* pFont, BOOL /*bRedraw*/) {
    if (pFont == nullptr || pFont->m_hObject == nullptr) {
        return;
    }
    const QFont font = *reinterpret_cast<const QFont*>(pFont->m_hObject);
    WithWidget(m_hWnd, [&](QWidget* pWidget) { pWidget->setFont(font); });
}

void CWnd::SetRedraw(BOOL bRedraw) {
    WithWidget(m_hWnd, [&](QWidget* pWidget) {
        // Redraw is a switch, not a count: only a change of state suspends or resumes.
        const char* kOff = "tessalyRedrawOff";
        const bool bOff = pWidget->property(kOff).toBool();
        if (bOff == (bRedraw == FALSE)) {
            return;
        }
        pWidget->setProperty(kOff, bRedraw == FALSE);
        if (auto* pList = dynamic_cast<ListViewWidget*>(pWidget)) {
            if (bRedraw) {
                pList->Model()->ResumeRedraw();
            } else {
                pList->Model()->SuspendRedraw();
            }
        }
        pWidget->setUpdatesEnabled(bRedraw != FALSE);
    });
}

CMenu* CWnd::GetSystemMenu(BOOL /*bRevert*/) const {
    CMenu* pMenu = nullptr;
    WithWidget(m_hWnd, [&](QWidget* pWidget) {
        if (auto* pDialog = dynamic_cast<DialogWidget*>(pWidget)) {
            pMenu = pDialog->SystemMenu();
        }
    });
    return pMenu;
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    HICON hPrevious = nullptr;
    WithWidget(m_hWnd, [&](QWidget* pWidget) {
        const char* kProp = bBigIcon ? "tessalyBigIcon" : "tessalySmallIcon";
        hPrevious = reinterpret_cast<HICON>(pWidget->property(kProp).value<quintptr>());
        pWidget->setProperty(kProp, QVariant::fromValue(reinterpret_cast<quintptr>(hIcon)));
        if (hIcon != nullptr) {
            // Qt keeps one icon of several sizes per window; both calls give the same one here.
            pWidget->setWindowIcon(*reinterpret_cast<const QIcon*>(hIcon));
        }
    });
    return hPrevious;
}

HICON CWnd::GetIcon(BOOL bBigIcon) const {
    HICON hIcon = nullptr;
    WithWidget(m_hWnd, [&](QWidget* pWidget) {
        hIcon = reinterpret_cast<HICON>(
            pWidget->property(bBigIcon ? "tessalyBigIcon" : "tessalySmallIcon").value<quintptr>());
    });
    return hIcon;
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* /*lpfnTimer*/) {
    UINT_PTR nResult = 0;
    const HWND hWnd = m_hWnd;
    WithWidget(hWnd, [&](QWidget* pWidget) {
        QTimer*& pTimer = Timers()[{hWnd, nIDEvent}];
        if (pTimer == nullptr) {
            pTimer = new QTimer(pWidget);
            QObject::connect(pTimer, &QTimer::timeout, pTimer, [hWnd, nIDEvent] {
                MSG msg{hWnd, WM_TIMER, nIDEvent, 0, 0, {0, 0}};
                DeliverQueuedMessage(msg);
            });
            QTimer* pMade = pTimer;
            QObject::connect(pTimer, &QObject::destroyed, [hWnd, nIDEvent, pMade] {
                auto it = Timers().find({hWnd, nIDEvent});
                if (it != Timers().end() && it->second == pMade) {
                    Timers().erase(it);
                }
            });
        }
        pTimer->start(static_cast<int>(std::max(nElapse, 1U)));
        nResult = nIDEvent != 0 ? nIDEvent : 1;
    });
    return nResult;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
    BOOL bKilled = FALSE;
    const HWND hWnd = m_hWnd;
    RunOnWindowThread([&] {
        auto it = Timers().find({hWnd, nIDEvent});
        if (it != Timers().end()) {
            QTimer* pTimer = it->second;
            Timers().erase(it);
            pTimer->stop();
            pTimer->deleteLater();
            bKilled = TRUE;
        }
    });
    return bKilled;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT lResult = 0;
    RunOnWindowThread([&] {
        if (!IsLiveWindow(m_hWnd)) {
            return;
        }
        MSG msg{m_hWnd, message, wParam, lParam, 0, {0, 0}};
        if (!OnWndMsg(msg, &lResult)) {
            lResult = DefWindowProc(msg);
        }
    });
    return lResult;
}

void CWnd::DragAcceptFiles(BOOL bAccept) {
    ::DragAcceptFiles(m_hWnd, bAccept);
}

LRESULT CWnd::DefWindowProc(const MSG& /*msg*/) {
    return 0;
}

CWnd* AfxGetMainWnd() {
    return MainWindow();
}
