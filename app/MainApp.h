// The application object: runs the main dialog as the program's one window.
#pragma once

#include "platform/framework/ui/Afxwin.h"

class CMainApp : public CWinApp {
public:
    CMainApp() : CWinApp("Tessaly") {}
    BOOL InitInstance() override;
};
