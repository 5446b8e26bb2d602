// The application object: the same on every window system.
#include "platform/framework/ui/WinApp.h"

#include "platform/framework/ui/Gdi.h"

namespace {

CWinApp* g_pApp = nullptr;

} // namespace

CWinApp::CWinApp(LPCTSTR lpszAppName) : m_strAppName(lpszAppName) {
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) {
        g_pApp = nullptr;
    }
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return 0;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return LoadIconResource(nIDResource);
}

CWinApp* AfxGetApp() {
    return g_pApp;
}

void AfxEnableControlContainer() {}
