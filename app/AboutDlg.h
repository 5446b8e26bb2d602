// The about box (dialog 100), opened from the main window's system menu.
#pragma once

#include "platform/framework/ui/Afxwin.h"

class CAboutDlg : public CDialog {
public:
    enum { IDD = 100 };
    explicit CAboutDlg(CWnd* pParent = nullptr) : CDialog(IDD, pParent) {}
};
