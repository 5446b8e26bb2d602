// CDialog: a modal dialog built from a template in the program's resources. DoModal makes the
// window and its controls, binds the members through DoDataExchange (from OnInitDialog), runs a
// modal loop in which every queued message goes first to PreTranslateMessage, then to the
// message map, and destroys the window (WM_DESTROY) before it returns.
#pragma once

#include "platform/framework/ui/Wnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Makes rControl name the dialog's control nIDC.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // The result given to EndDialog, or -1 when the window could not be made.
    virtual INT_PTR DoModal();
    // Ends the modal loop; OnDestroy runs before DoModal returns.
    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    UINT GetTemplateId() const { return m_nIDTemplate; }

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual void OnOK();
    virtual void OnCancel();

    LRESULT DefWindowProc(const MSG& msg) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    friend class CDialogAccess;
    bool m_bEndRequested = false;
    int m_nEndResult = -1;
};
