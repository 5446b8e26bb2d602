// CWnd: a handle to one window (a dialog or one of its controls) with the calls the program makes
// on it. Several CWnd objects may name the same window, as the framework's temporary and bound
// objects do. Every call may come from any thread: off the window thread it runs there while the
// caller waits (Windows' cross-thread SendMessage).
#pragma once

#include "platform/framework/core/CString.h"
#include "platform/framework/ui/MessageMap.h"
#include "platform/framework/ui/WinUser.h"

class CDC;
class CFont;
class CMenu;

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The object that names hWnd permanently (the control's own, made with its dialog); null for a
    // handle this framework does not know.
    static CWnd* FromHandle(HWND hWnd);

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    CWnd* GetParent() const;

    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    BOOL ShowWindow(int nCmdShow);
    void SetWindowText(LPCTSTR lpszString);
    void GetWindowText(CString& rString) const;
    int GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const;
    int GetWindowTextLength() const;
    void SetDlgItemText(int nID, LPCTSTR lpszString);
    UINT GetDlgItemText(int nID, CString& rString) const;

    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void Invalidate(BOOL bErase = TRUE);
    void UpdateWindow();
    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    BOOL IsIconic() const;
    CWnd* SetFocus();
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    void SetRedraw(BOOL bRedraw = TRUE);

    // The window's system menu (items appended here also show on Alt+Space and a right click on
    // the dialog's background); null for a window without one.
    CMenu* GetSystemMenu(BOOL bRevert) const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const;

    // nIDEvent on success, 0 when the window cannot take a timer. Ticks arrive as WM_TIMER through
    // PreTranslateMessage and the message map.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);

    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Runs the message through this window's message map on the window thread.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void DragAcceptFiles(BOOL bAccept = TRUE);

    // Offered every queued message of this window's dialog before it is handled; TRUE consumes it.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // Searches the message map and calls the handler; FALSE when no entry takes the message.
    BOOL OnWndMsg(const MSG& msg, LRESULT* pResult);

    HWND m_hWnd = nullptr;

protected:
    // The framework's default processing for the message being handled.
    LRESULT Default();

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDestroy();
    void OnTimer(UINT_PTR nIDEvent);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

    // What the default processing of a message does when no handler took it.
    virtual LRESULT DefWindowProc(const MSG& msg);

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

private:
    const MSG* m_pCurrentMsg = nullptr;
};

// The process's main window (the main dialog while it runs).
CWnd* AfxGetMainWnd();
