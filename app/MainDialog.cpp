#include "app/MainDialog.h"

#include "app/AboutDlg.h"
#include "res/ResourceIds.h"
#include "support/AnsiText.h"
#include "support/PathHelpers.h"
#include "support/StartUp.h"
#include "support/TraceLog.h"

namespace {

constexpr UINT kAboutCommandId = 16;
constexpr UINT kPlanCommandId = 32; // system commands keep their low four bits clear
constexpr UINT kUndoCommandId = 48;
constexpr DWORD kDropPathBytes = 2000;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kGrey = RGB(100, 100, 100);

} // namespace

BEGIN_MESSAGE_MAP(CMainDialog, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_INITMENUPOPUP()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_ADD, &CMainDialog::OnAdd)
ON_BN_CLICKED(IDC_EXCLUDE, &CMainDialog::OnExclude)
ON_BN_CLICKED(IDC_EXCLUDE_ALL, &CMainDialog::OnExcludeAll)
ON_BN_CLICKED(IDC_TARGET_FOLDER, &CMainDialog::OnTargetFolder)
ON_WM_DESTROY()
ON_BN_CLICKED(IDC_ABORT, &CMainDialog::OnAbort)
ON_WM_TIMER()
ON_BN_CLICKED(IDC_EXECUTE, &CMainDialog::OnExecute)
ON_WM_CTLCOLOR()
ON_NOTIFY(LVN_COLUMNCLICK, IDC_FILE_LIST, &CMainDialog::OnColumnClick)
END_MESSAGE_MAP()

CMainDialog::CMainDialog(CWnd* pParent)
    : CDialog(IDD, pParent), m_bFilterActive(FALSE), m_bUseRegex(FALSE),
      m_bHoverTargetButton(FALSE), m_bHoverAddButton(FALSE), m_crCheckTextHover(0),
      m_crCheckTextNormal(0), m_crCheckBackHover(0), m_crCheckBackNormal(0), m_crLabelBackHover(0),
      m_crLabelBackNormal(0), m_crLabelTextHover(0), m_crLabelTextNormal(0),
      m_dwUiThreadId(GetCurrentThreadId()), m_nTimerId(0), m_nRowCount(0), m_nColumnCount(0),
      m_hIcon(AfxGetApp() != nullptr ? AfxGetApp()->LoadIcon(IDR_MAINFRAME)
                                     : LoadIconResource(IDR_MAINFRAME)) {}

CMainDialog::~CMainDialog() = default;

void CMainDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TARGET_FOLDER_LABEL, m_stTargetLabel);
    DDX_Control(pDX, IDC_USE_REGEX, m_chkUseRegex);
    DDX_Control(pDX, IDC_FILTER, m_edFilter);
    DDX_Control(pDX, IDC_TARGET_EXT, m_edTargetExt);
    DDX_Control(pDX, IDC_PROGRESS, m_prgMove);
    DDX_Control(pDX, IDC_TARGET_FOLDER_EDIT, m_edTargetFolder);
    DDX_Control(pDX, IDC_BYTE_TOTAL, m_edByteTotal);
    DDX_Control(pDX, IDC_FILE_LIST, m_lstFiles);
}

BOOL CMainDialog::OnInitDialog() {
    CDialog::OnInitDialog();

    CString strAboutMenu;
    CMenu* pSysMenu = GetSystemMenu(FALSE);
    if (pSysMenu != nullptr && LoadStringResource(IDS_ABOUTBOX, strAboutMenu) &&
        !strAboutMenu.IsEmpty()) {
        pSysMenu->AppendMenu(MF_SEPARATOR);
        pSysMenu->AppendMenu(MF_STRING, kAboutCommandId, strAboutMenu);
    }
    CString strUndoMenu;
    if (pSysMenu != nullptr && LoadStringResource(IDS_UNDO_LAST, strUndoMenu) &&
        !strUndoMenu.IsEmpty()) {
        pSysMenu->AppendMenu(MF_STRING | MF_GRAYED, kUndoCommandId, strUndoMenu);
    }
    CString strPlanMenu;
    if (pSysMenu != nullptr && LoadStringResource(IDS_SHOW_PLAN, strPlanMenu) &&
        !strPlanMenu.IsEmpty()) {
        // Greyed until there is a plan to show; each opening of the menu brings it up to date.
        pSysMenu->AppendMenu(MF_STRING | MF_GRAYED, kPlanCommandId, strPlanMenu);
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    // The executable's folder, the trace log in it, emptied for this run.
    InitProgramFolders();
    if (!IsExistFile(g_strTracePath, FALSE, FALSE)) {
        // The folder cannot be written: said once now, and the run goes on without a log.
        WriteTraceText(CString());
    }
    m_strPickerFolder = g_strExeFolder;

    m_strTargetFolder.Empty();
    m_edTargetFolder.SetWindowText(m_strTargetFolder);
    m_strTargetExt = "mp3";
    m_edTargetExt.SetWindowText(m_strTargetExt);
    m_strFilterText = "wav";
    m_edFilter.SetWindowText(m_strFilterText);

    m_context.m_pOwner = this;
    m_context.m_hOwnerWnd = m_hWnd;
    m_context.m_pPicker = nullptr;
    m_prgMove.SetRange(0, 1024);
    m_prgMove.SetPos(0);
    m_nRowCount = 0;
    m_crCheckTextHover = kBlack;
    m_crCheckTextNormal = kWhite;
    m_crCheckBackHover = kYellow;
    m_crCheckBackNormal = kGrey;
    m_crLabelBackHover = kYellow;
    m_crLabelBackNormal = kGrey;
    m_crLabelTextHover = kBlack;
    m_crLabelTextNormal = kWhite;
    m_bUseRegex = FALSE;
    m_chkUseRegex.SetCheck(BST_UNCHECKED);
    m_bHoverTargetButton = FALSE;
    m_bHoverAddButton = FALSE;

    InsertColumns();
    m_bFilterActive = TRUE;
    ::DragAcceptFiles(m_edTargetFolder.m_hWnd, TRUE);

    m_brLabelHover.CreateSolidBrush(m_crLabelBackHover);
    m_brLabelNormal.CreateSolidBrush(m_crLabelBackNormal);
    m_brCheckHover.CreateSolidBrush(m_crCheckBackHover);
    m_brCheckNormal.CreateSolidBrush(m_crCheckBackNormal);

    EnableControls(TRUE);
    g_pSortList = &m_store;
    return TRUE;
}

BOOL CMainDialog::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_WORK_DONE) {
        OnWorkDone();
        return TRUE;
    }
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE)) {
        return TRUE;
    }
    if (pMsg->message == WM_DROPFILES && pMsg->hwnd == m_edTargetFolder.m_hWnd) {
        return OnDropFiles(reinterpret_cast<HDROP>(pMsg->wParam));
    }
    if (pMsg->message == WM_MOVE_PROGRESS) {
        OnMoveProgressMessage();
        return TRUE;
    }
    if (pMsg->message == WM_MOUSEMOVE) {
        CWnd* pTargetButton = GetDlgItem(IDC_TARGET_FOLDER);
        const BOOL bOverTarget =
            pTargetButton != nullptr && pMsg->hwnd == pTargetButton->m_hWnd ? TRUE : FALSE;
        if (bOverTarget != m_bHoverTargetButton) {
            m_bHoverTargetButton = bOverTarget;
            m_stTargetLabel.InvalidateRect(nullptr, TRUE);
        } else {
            CWnd* pAddButton = GetDlgItem(IDC_ADD);
            const BOOL bOverAdd =
                pAddButton != nullptr && pMsg->hwnd == pAddButton->m_hWnd ? TRUE : FALSE;
            if (bOverAdd != m_bHoverAddButton) {
                m_bHoverAddButton = bOverAdd;
                m_chkUseRegex.InvalidateRect(nullptr, TRUE);
            }
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CMainDialog::OnDropFiles(HDROP hDrop) {
    if (!g_bWorkerIdle) {
        return TRUE;
    }
    if (DragQueryFileA(hDrop, 0xFFFFFFFF, nullptr, 0) != 1) {
        return TRUE;
    }
    // A path too long for the buffer would arrive cut short, naming another folder: not taken.
    const UINT nLen = DragQueryFileA(hDrop, 0, nullptr, 0);
    if (nLen == 0 || nLen >= kDropPathBytes) {
        return TRUE;
    }
    char acPath[kDropPathBytes] = {};
    if (DragQueryFileA(hDrop, 0, acPath, kDropPathBytes) != nLen) {
        return TRUE;
    }
    if (IsExistFile(acPath, TRUE, FALSE)) {
        m_strTargetFolder = acPath;
        m_edTargetFolder.SetWindowText(m_strTargetFolder);
    }
    return TRUE;
}

HBRUSH CMainDialog::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (nCtlColor != CTLCOLOR_STATIC || pWnd == nullptr) {
        return hbr;
    }
    if (pWnd->m_hWnd == m_stTargetLabel.m_hWnd) {
        pDC->SetBkColor(m_bHoverTargetButton ? m_crLabelBackHover : m_crLabelBackNormal);
        pDC->SetTextColor(m_bHoverTargetButton ? m_crLabelTextHover : m_crLabelTextNormal);
        return m_bHoverTargetButton ? m_brLabelHover : m_brLabelNormal;
    }
    if (pWnd->m_hWnd == m_chkUseRegex.m_hWnd) {
        pDC->SetBkColor(m_bHoverAddButton ? m_crCheckBackHover : m_crCheckBackNormal);
        pDC->SetTextColor(m_bHoverAddButton ? m_crCheckTextHover : m_crCheckTextNormal);
        return m_bHoverAddButton ? m_brCheckHover : m_brCheckNormal;
    }
    return hbr;
}

void CMainDialog::OnTargetFolder() {
    const CString strStart = m_strTargetFolder.IsEmpty() ? g_strExeFolder : m_strTargetFolder;
    CString strChosen;
    if (BrowseFolder(m_hWnd, strStart, &strChosen) == 1) {
        m_strTargetFolder = strChosen;
        m_edTargetFolder.SetWindowText(m_strTargetFolder);
    }
}

void CMainDialog::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == kAboutCommandId) {
        CAboutDlg dlgAbout(this);
        dlgAbout.DoModal();
    } else if ((nID & 0xFFF0) == kPlanCommandId) {
        OnShowPlan();
    } else if ((nID & 0xFFF0) == kUndoCommandId) {
        OnUndoLast();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CMainDialog::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu) {
    CDialog::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    if (bSysMenu && pPopupMenu != nullptr) {
        pPopupMenu->EnableMenuItem(kPlanCommandId,
                                   MF_BYCOMMAND | (CanShowPlan() ? MF_ENABLED : MF_GRAYED));
        pPopupMenu->EnableMenuItem(
            kUndoCommandId, MF_BYCOMMAND | (JournalToUndo().IsEmpty() ? MF_GRAYED : MF_ENABLED));
    }
}

BOOL CMainDialog::CanShowPlan() const {
    return g_bWorkerIdle && m_lstFiles.GetItemCount() > 0 && !m_strTargetFolder.IsEmpty() ? TRUE
                                                                                          : FALSE;
}

void CMainDialog::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        const int cxIcon = GetSystemMetrics(SM_CXICON);
        const int cyIcon = GetSystemMetrics(SM_CYICON);
        CRect rect;
        GetClientRect(&rect);
        const int x = (rect.Width() - cxIcon + 1) / 2;
        const int y = (rect.Height() - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
    } else {
        CDialog::OnPaint();
    }
}

HCURSOR CMainDialog::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void CMainDialog::OnDestroy() {
    // The worker may be inside a call into this window (the list refill, a message box), so the
    // wait keeps serving the window's messages.
    while (!g_bWorkerIdle) {
        g_bAbort = TRUE;
        g_bClosing = TRUE;
        AfxPumpMessagesFor(1000);
    }
    m_brLabelHover.DeleteObject();
    m_brLabelNormal.DeleteObject();
    m_brCheckHover.DeleteObject();
    m_brCheckNormal.DeleteObject();
    g_pSortList = nullptr;
    CDialog::OnDestroy();
}

void CMainDialog::EnableControls(BOOL bEnable) {
    struct Command {
        int nId;
        BOOL bEnable;
    };
    const Command aCommands[] = {
        {IDC_ABORT, !bEnable},        {IDC_EXECUTE, bEnable},   {IDOK, bEnable},
        {IDC_ADD, bEnable},           {IDC_EXCLUDE, bEnable},   {IDC_EXCLUDE_ALL, bEnable},
        {IDC_TARGET_FOLDER, bEnable}, {IDC_USE_REGEX, bEnable},
    };
    for (const Command& command : aCommands) {
        if (CWnd* pControl = GetDlgItem(command.nId)) {
            pControl->EnableWindow(command.bEnable);
        }
    }
}
