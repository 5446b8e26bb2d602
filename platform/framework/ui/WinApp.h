// The application object and the program's start: AfxWinMain opens the display, registers the
// window versions of the message box, folder chooser, desktop "open" and SendMessageA, and runs
// the one CWinApp's InitInstance.
#pragma once

#include "platform/framework/ui/Wnd.h"

class CWinApp {
public:
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // FALSE ends the program once it returns (a dialog-based program's modal dialog has run).
    virtual BOOL InitInstance();
    virtual int ExitInstance();

    HICON LoadIcon(UINT nIDResource) const;
    // The 3-D look of Windows' controls is the platform's own look here: nothing to enable.
    BOOL Enable3dControls() { return TRUE; }

    CWnd* m_pMainWnd = nullptr;
    CString m_strAppName;
};

CWinApp* AfxGetApp();
// Windows containers of ActiveX controls have no counterpart: a no-op kept for the program's start.
void AfxEnableControlContainer();

// The process's entry: returns the exit status (1, with one line on standard error, when no
// display can be opened).
int AfxWinMain(int argc, char** argv);

namespace tessaly::framework {

// Makes the window system ready for code that runs dialogs without AfxWinMain (tests): on Qt the
// application object on the platform QT_QPA_PLATFORM names; the window providers registered.
// Idempotent.
void InitWindowSystem(int& argc, char** argv);
// Puts the window providers in place again (tests that replaced them restore through this).
void RegisterWindowProviders();

} // namespace tessaly::framework
