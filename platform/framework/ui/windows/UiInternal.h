// The framework's own bookkeeping between Windows' windows and the program's CWnd objects, and
// the text conversions at the controls' edge. Only the framework's Windows sources include this.
#pragma once

#include <string>
#include <string_view>

#include "platform/framework/core/CString.h"
#include "platform/framework/ui/WinUser.h"

class CWnd;
class CDialog;
class CMenu;

namespace tessaly::framework::detail {

// What the framework knows of one live window of its own.
struct WindowInfo {
    CWnd* pPermanent = nullptr; // the object GetDlgItem and FromHandle return
    CDialog* pDialog = nullptr; // the dialog the window belongs to (itself for a dialog)
    int nId = 0;                // control id; 0 for a dialog
};

// Any thread.
void RegisterWindow(HWND hWnd, const WindowInfo& info);
void UnregisterWindow(HWND hWnd);
bool FindWindowInfo(HWND hWnd, WindowInfo* pInfo);

// Delivers a queued message as the framework's modal loop does: the owning dialog's
// PreTranslateMessage (the main window's for a thread message), then, unless consumed, the
// dialog manager and the window procedure.
void DeliverQueuedMessage(const MSG& msg);

// Around a message the window thread sends to its own window: not offered to PreTranslateMessage.
void BeginDirectSend();
void EndDirectSend();

// CP932 <-> UTF-16 through the layer's codec, so names outside CP932 keep their characters.
std::wstring ToWide(std::string_view strAnsi);
std::wstring ToWide(const char* pcAnsi);
CString FromWide(std::wstring_view strWide);

// The process's main window as the application set it.
CWnd* MainWindow();

// The window thread has taken a message from its queue (its calls from workers may now wait).
void NoteQueueVisit();

// Makes the calling thread the window thread: common controls, the thread's mailbox. Idempotent.
void StartWindowThread();

// The system menu object of a dialog of the framework, made on first use; null for others.
CMenu* SystemMenuOf(HWND hDialog);

// The report-view lists' share of a dialog's WM_NOTIFY: the list answers its own requests
// (LVN_GETDISPINFOW, LVN_ODFINDITEMW, LVN_ODCACHEHINT, state changes it keeps); true when it did,
// with the result. Other notifications go on to the program's message map.
bool HandleListNotify(HWND hList, const NMHDR* pHeader, LRESULT* pResult);
// Forgets the rows of a list whose window is going.
void ForgetList(HWND hList);

} // namespace tessaly::framework::detail
