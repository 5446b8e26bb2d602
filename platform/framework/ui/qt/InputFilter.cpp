// One event filter on the application turns the input the program reacts to (Enter and Escape,
// mouse moves and presses, file drops) into messages and offers them to the dialog the window
// belongs to before the widget sees them.
#include "platform/framework/ui/qt/InputFilter.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QUrl>

#include "platform/framework/ui/Dialog.h"
#include "platform/framework/ui/qt/UiInternal.h"
#include "platform/framework/ui/qt/Widgets.h"
#include "platform/win32/Win32Drives.h"
#include "platform/win32/Win32Threads.h"

namespace tessaly::framework::detail {
namespace {

QPoint g_ptLastMouse;

const char* kAcceptsFiles = "tessalyAcceptsFiles";

// Local files of a drop as drive paths (CP932); what cannot be mapped is left out.
std::vector<std::string> DroppedPaths(const QMimeData* pMime) {
    std::vector<std::string> vecPaths;
    if (pMime == nullptr || !pMime->hasUrls()) {
        return vecPaths;
    }
    for (const QUrl& url : pMime->urls()) {
        if (!url.isLocalFile()) {
            continue;
        }
        QString strPath = url.toLocalFile();
        while (strPath.size() > 1 && strPath.endsWith(QLatin1Char('/'))) {
            strPath.chop(1);
        }
        const QByteArray utf8 = strPath.toUtf8();
        auto path = win32::PosixToWindowsPath(
            std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
        if (path) {
            vecPaths.push_back(*path);
        }
    }
    return vecPaths;
}

class InputFilter : public QObject {
public:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override {
        switch (pEvent->type()) {
        case QEvent::KeyPress:
            return OnKey(pObject, static_cast<QKeyEvent*>(pEvent));
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
            return OnMouse(pObject, static_cast<QMouseEvent*>(pEvent));
        case QEvent::DragEnter:
        case QEvent::DragMove:
            return OnDrag(pObject, static_cast<QDragMoveEvent*>(pEvent));
        case QEvent::Drop:
            return OnDrop(pObject, static_cast<QDropEvent*>(pEvent));
        default:
            return false;
        }
    }

private:
    // The framework window and dialog for an event's receiver; false for other windows (message
    // boxes, Qt's own dialogs).
    static bool Target(QObject* pObject, QWidget** ppWindow, WindowInfo* pInfo) {
        auto* pWidget = qobject_cast<QWidget*>(pObject);
        QWidget* pWindow = pWidget != nullptr ? OwningWindow(pWidget) : nullptr;
        if (pWindow == nullptr || !FindWindowInfo(ToHwnd(pWindow), pInfo) ||
            pInfo->pDialog == nullptr) {
            return false;
        }
        // A window of its own over the dialog (a message box, the folder chooser, a menu) is
        // parented to it but is not one of its controls: its keys and clicks stay its own.
        if (pWidget->window() != ToWidget(pInfo->pDialog->m_hWnd)) {
            return false;
        }
        *ppWindow = pWindow;
        return true;
    }

    // A mouse event travels up the parents while they ignore it, as a new copy at each step with
    // the same type, time and position; it is translated once, at the first receiver. Only a
    // parent of the last receiver can be such a copy.
    bool SeenBefore(QObject* pObject, QMouseEvent* pMouse) {
        const QPointF ptGlobal = pMouse->globalPosition();
        bool bSeen = false;
        if (pMouse->type() == m_eLastType && pMouse->timestamp() == m_ulLastTime &&
            ptGlobal == m_ptLastGlobal && !m_pLastReceiver.isNull()) {
            auto* pLast = qobject_cast<QWidget*>(m_pLastReceiver.data());
            for (QWidget* p = pLast != nullptr ? pLast->parentWidget() : nullptr; p != nullptr;
                 p = p->parentWidget()) {
                if (p == pObject) {
                    bSeen = true;
                    break;
                }
            }
        }
        if (!bSeen) {
            m_eLastType = pMouse->type();
            m_ulLastTime = pMouse->timestamp();
            m_ptLastGlobal = ptGlobal;
            m_pLastReceiver = pObject;
        }
        return bSeen;
    }

    bool OnKey(QObject* pObject, QKeyEvent* pKey) {
        const int iKey = pKey->key();
        const bool bAltSpace = iKey == Qt::Key_Space && pKey->modifiers() == Qt::AltModifier;
        if (iKey != Qt::Key_Return && iKey != Qt::Key_Enter && iKey != Qt::Key_Escape &&
            !bAltSpace) {
            return false;
        }
        QWidget* pWindow = nullptr;
        WindowInfo info;
        if (!Target(pObject, &pWindow, &info)) {
            return false;
        }
        if (bAltSpace) {
            if (auto* pDialog = dynamic_cast<DialogWidget*>(ToWidget(info.pDialog->m_hWnd))) {
                pDialog->ShowSystemMenu(pDialog->mapToGlobal(QPoint(0, 0)));
            }
            return true;
        }
        MSG msg{ToHwnd(pWindow),
                WM_KEYDOWN,
                static_cast<WPARAM>(iKey == Qt::Key_Escape ? VK_ESCAPE : VK_RETURN),
                0,
                GetTickCount(),
                {0, 0}};
        info.pDialog->PreTranslateMessage(&msg);
        // The dialog's keys never reach Qt's own handling (default buttons, QDialog::reject).
        return true;
    }

    bool OnMouse(QObject* pObject, QMouseEvent* pMouse) {
        if (SeenBefore(pObject, pMouse)) {
            return false;
        }
        g_ptLastMouse = pMouse->globalPosition().toPoint();
        if (pMouse->type() == QEvent::MouseButtonPress && pMouse->button() != Qt::LeftButton) {
            return false;
        }
        QWidget* pWindow = nullptr;
        WindowInfo info;
        if (!Target(pObject, &pWindow, &info)) {
            return false;
        }
        const QPoint ptClient = pWindow->mapFromGlobal(g_ptLastMouse);
        MSG msg{ToHwnd(pWindow),
                pMouse->type() == QEvent::MouseMove ? static_cast<UINT>(WM_MOUSEMOVE)
                                                    : static_cast<UINT>(WM_LBUTTONDOWN),
                0,
                static_cast<LPARAM>((ptClient.y() & 0xFFFF) << 16 | (ptClient.x() & 0xFFFF)),
                GetTickCount(),
                {g_ptLastMouse.x(), g_ptLastMouse.y()}};
        return info.pDialog->PreTranslateMessage(&msg) != FALSE;
    }

    bool OnDrag(QObject* pObject, QDragMoveEvent* pDrag) {
        QWidget* pWindow = nullptr;
        WindowInfo info;
        if (!Target(pObject, &pWindow, &info)) {
            return false;
        }
        // Only a window that accepts files takes a drop, and only of files.
        if (pWindow->property(kAcceptsFiles).toBool() && !DroppedPaths(pDrag->mimeData()).empty()) {
            pDrag->setDropAction(Qt::CopyAction);
            pDrag->accept();
        } else {
            pDrag->ignore();
        }
        return true;
    }

    bool OnDrop(QObject* pObject, QDropEvent* pDrop) {
        QWidget* pWindow = nullptr;
        WindowInfo info;
        if (!Target(pObject, &pWindow, &info)) {
            return false;
        }
        if (!pWindow->property(kAcceptsFiles).toBool()) {
            pDrop->ignore();
            return true;
        }
        const std::vector<std::string> vecPaths = DroppedPaths(pDrop->mimeData());
        if (vecPaths.empty()) {
            pDrop->ignore();
            return true;
        }
        pDrop->setDropAction(Qt::CopyAction);
        pDrop->accept();
        DeliverDrop(ToHwnd(pWindow), vecPaths);
        return true;
    }

    QEvent::Type m_eLastType = QEvent::None;
    quint64 m_ulLastTime = 0;
    QPointF m_ptLastGlobal;
    QPointer<QObject> m_pLastReceiver;
};

} // namespace

void InstallInputFilter() {
    static InputFilter* s_pFilter = nullptr;
    if (s_pFilter == nullptr && qApp != nullptr) {
        s_pFilter = new InputFilter;
        s_pFilter->setParent(qApp);
        qApp->installEventFilter(s_pFilter);
    }
}

QPoint LastMousePosition() {
    return g_ptLastMouse;
}

void SetAcceptsFiles(QWidget* pWidget, bool bAccept) {
    pWidget->setProperty(kAcceptsFiles, bAccept);
    pWidget->setAcceptDrops(bAccept);
}

void DeliverDrop(HWND hWnd, const std::vector<std::string>& vecPaths) {
    std::vector<const char*> vecPointers;
    vecPointers.reserve(vecPaths.size());
    for (const std::string& strPath : vecPaths) {
        vecPointers.push_back(strPath.c_str());
    }
    HDROP hDrop = MakeDropHandle(vecPointers.data(), static_cast<UINT>(vecPointers.size()));
    MSG msg{hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(hDrop), 0, GetTickCount(), {0, 0}};
    DeliverQueuedMessage(msg);
    // The receiver may have finished the drop already; a second finish is harmless.
    DragFinish(hDrop);
}

} // namespace tessaly::framework::detail
