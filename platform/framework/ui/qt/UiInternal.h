// The framework's own bookkeeping between its Qt widgets and the program's CWnd objects. Only the
// framework's sources include this.
#pragma once

#include <QString>
#include <QWidget>
#include <string>

#include "platform/framework/core/CString.h"
#include "platform/framework/ui/WinUser.h"

class CWnd;
class CDialog;

namespace tessaly::framework::detail {

// What the framework knows of one live window.
struct WindowInfo {
    CWnd* pPermanent = nullptr; // the object GetDlgItem and FromHandle return
    CDialog* pDialog = nullptr; // the dialog the window belongs to (itself for a dialog)
    int nId = 0;                // control id; 0 for a dialog
};

inline HWND ToHwnd(QWidget* pWidget) {
    return reinterpret_cast<HWND>(pWidget);
}
// The live widget a handle names, or null; only on the window thread.
QWidget* ToWidget(HWND hWnd);

void RegisterWindow(QWidget* pWidget, const WindowInfo& info);
void UnregisterWindow(QWidget* pWidget);
bool IsLiveWindow(HWND hWnd);
bool FindWindowInfo(HWND hWnd, WindowInfo* pInfo);
// The window of the framework that pWidget is or lies inside (a control's inner viewport maps to
// the control), or null.
QWidget* OwningWindow(QWidget* pWidget);

// Delivers a queued message as the framework's modal loop does: the dialog's
// PreTranslateMessage, then, unless consumed, the window's message map.
void DeliverQueuedMessage(MSG& msg);
// Sends a notification or command to the dialog's message map (not pre-translated).
LRESULT SendToDialog(CDialog* pDialog, UINT nMessage, WPARAM wParam, LPARAM lParam);
// WM_COMMAND with the control's id and code, as a control notifies its dialog.
void NotifyCommand(QWidget* pControl, UINT nCode);

// CP932 <-> Qt text through the layer's codec, so names outside CP932 keep their characters.
QString ToQString(const char* pcAnsi);
QString ToQString(const std::string& strAnsi);
CString FromQString(const QString& str);

// The dialog font and its base units.
QFont DialogFont(const char* pszFaceUtf8, int nPointSize);
void InstallFontSubstitutions();

// The process's main window as the application set it.
CWnd* MainWindow();

// The colour request of a control that paints: asks its dialog (WM_CTLCOLOR) and returns whether
// the handler gave a brush; the colours to paint with are filled in.
bool RequestControlColors(QWidget* pControl, UINT nCtlType, QColor* pText, QColor* pBack,
                          bool* pTransparent);
QColor ToQColor(COLORREF cr);

// The global position of the last mouse event the application saw.
QPoint LastMousePosition();

} // namespace tessaly::framework::detail
