#include "app/MainApp.h"

#include "app/MainDialog.h"

BOOL CMainApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControls();
    {
        CMainDialog dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    // The dialog has closed: the program ends instead of entering a message loop.
    return FALSE;
}
