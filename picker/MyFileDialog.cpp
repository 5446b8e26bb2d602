// The picker's life: construction, start folder, initialisation, confirmation and the end of its
// window. Drives, navigation, the list and the sorts have files of their own.
#include "picker/MyFileDialog.h"

#include "support/AnsiText.h"
#include "support/PathHelpers.h"
#include "support/SJisConv.h"

namespace {

constexpr int kDriveSlots = 50;
constexpr DWORD kCurDirBuffSize = 2500;

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The executable's folder, read once for the process.
const CString& DefaultFolder() {
    static const CString s_strFolder = [] {
        CString strFolder;
        GetModuleFolder(&strFolder);
        return strFolder;
    }();
    return s_strFolder;
}

} // namespace

BEGIN_MESSAGE_MAP(CMyFileDialog, CDialog)
ON_WM_DESTROY()
ON_BN_CLICKED(IDC_UP_FOLDER, &CMyFileDialog::OnUpFolder)
ON_BN_CLICKED(IDC_SELECT_ALL, &CMyFileDialog::OnSelectAll)
ON_LBN_SELCHANGE(IDC_DRIVE_LIST, &CMyFileDialog::OnSelchangeDriveList)
ON_NOTIFY(NM_DBLCLK, IDC_PICKER_LIST, &CMyFileDialog::OnDblclkFileList)
ON_NOTIFY(LVN_COLUMNCLICK, IDC_PICKER_LIST, &CMyFileDialog::OnColumnclickFileList)
ON_WM_TIMER()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CMyFileDialog::CMyFileDialog(CWnd* pParent)
    : CDialog(IDD_FILE_DIALOG, pParent), m_astrDrive(kDriveSlots) {}

CMyFileDialog::~CMyFileDialog() = default;

CString CMyFileDialog::AsFolder(const CString& strFolder) {
    if (strFolder.GetLength() == 2 && strFolder[1] == ':' && IsAsciiLetter(strFolder[0])) {
        return strFolder + "\\";
    }
    return strFolder;
}

int CMyFileDialog::SetStartFolder(const char* pcFolder) {
    const CString& strDefault = DefaultFolder();
    CString strFolder = pcFolder != nullptr && pcFolder[0] != '\0' ? CString(pcFolder) : strDefault;
    const int n = strFolder.GetLength();
    if (n <= 0) {
        m_strStartDir = strDefault;
        return 0;
    }
    if (n <= 3 && n >= 2 && strFolder[1] == ':' && IsAsciiLetter(strFolder[0])) {
        if (n == 3 && strFolder[2] == '\\') {
            m_strStartDir = strFolder;
            return 1;
        }
        if (n == 2) {
            CString strRoot;
            strRoot.Format("%s\\", static_cast<const char*>(strFolder));
            if (IsExistFile(strRoot, TRUE, FALSE)) {
                m_strStartDir = strRoot;
                return 1;
            }
        }
        m_strStartDir = strDefault;
        return 0;
    }
    if (IsExistFile(strFolder, TRUE, FALSE)) {
        m_strStartDir = strFolder;
        return 1;
    }
    m_strStartDir = strDefault;
    return 0;
}

void CMyFileDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PICKER_LIST, m_ListCtrl);
    DDX_Control(pDX, IDC_DRIVE_LIST, m_DriveList);
}

BOOL CMyFileDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    m_iItemNum = 0;

    char acCurDir[kCurDirBuffSize] = {};
    const DWORD dwLen = GetCurrentDirectoryA(kCurDirBuffSize, acCurDir);
    if (dwLen > 0 && dwLen < kCurDirBuffSize) {
        m_strOrgCurDir = acCurDir;
    }

    char acExePath[kCurDirBuffSize] = {};
    GetModuleFileNameA(nullptr, acExePath, kCurDirBuffSize - 1);
    const int iSep = ReverseFindByteSJis(acExePath, '\\');
    m_strExeDir = iSep >= 0 ? CString(acExePath, iSep) : CString(acExePath);

    // An executable at a drive's root leaves "X:", which would name the drive's remembered
    // directory rather than its root.
    if (m_strOrgCurDir.IsEmpty()) {
        m_strOrgCurDir = AsFolder(m_strExeDir);
    }
    if (m_strStartDir.IsEmpty()) {
        m_strStartDir = AsFolder(m_strExeDir);
    }
    if (!SetCurrentDirectoryA(m_strStartDir)) {
        m_strStartDir = AsFolder(m_strExeDir);
    }
    m_strCurDir = m_strStartDir;
    SetDlgItemText(IDC_CUR_FOLDER, m_strCurDir);

    m_iColumnNum = 0;
    m_aiColumn[0] = m_aiColumn[1] = m_aiColumn[2] = 0;
    InitColumns();
    m_iFolderNum = 0;
    ReadFolder();
    InitDriveList();

    m_bImageListMade = 1;
    m_iSelectNum = 0;
    m_bNameAsc = m_bSizeAsc = m_bTimeAsc = 1;
    SetWindowText(AnsiFromUtf8("ファイル・フォルダの入力"));
    return TRUE;
}

BOOL CMyFileDialog::CheckSelection() {
    const int iRows = m_ListCtrl.GetItemCount();
    if (iRows <= 0 || iRows > kMaxRowsForConfirm) {
        AfxMessageBox(AnsiFromUtf8("何も選択されていません"), MB_OK);
        return FALSE;
    }
    std::vector<bool> abSelected(static_cast<size_t>(iRows));
    m_iSelectNum = 0;
    for (int i = 0; i < iRows; ++i) {
        if ((m_ListCtrl.GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED) != 0) {
            abSelected[static_cast<size_t>(i)] = true;
            ++m_iSelectNum;
        }
    }
    if (m_iSelectNum == 0) {
        AfxMessageBox(AnsiFromUtf8("何も選択されていません"), MB_OK);
        return FALSE;
    }
    // One pass instead of removing the unselected entries one by one from the back, which
    // moves the records behind each of them.
    KeepEntries(abSelected);
    m_iItemNum = m_iSelectNum;
    return TRUE;
}

void CMyFileDialog::OnOK() {
    // The caller may delete the object once the dialog ends: not while the sort thread uses it.
    if (m_bSorting != 0) {
        return;
    }
    if (CheckSelection()) {
        CDialog::OnOK();
    }
}

void CMyFileDialog::OnCancel() {
    if (m_bSorting != 0) {
        return;
    }
    EndDialog(IDCANCEL);
}

BOOL CMyFileDialog::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_LBUTTONDOWN && m_DriveList.m_hWnd != nullptr &&
        pMsg->hwnd == m_DriveList.m_hWnd) {
        ::PostMessageA(m_DriveList.m_hWnd, WM_LBUTTONUP, 0, 0);
    }
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE) &&
        m_bSorting != 0) {
        return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

HBRUSH CMyFileDialog::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (pWnd != nullptr && pWnd->GetDlgCtrlID() == IDC_DRIVE_LIST &&
        (nCtlColor == CTLCOLOR_MSGBOX || nCtlColor == CTLCOLOR_EDIT ||
         nCtlColor == CTLCOLOR_LISTBOX)) {
        pDC->SetTextColor(m_crText);
        pDC->SetBkMode(TRANSPARENT);
        pDC->SetBkColor(m_crBack);
        return m_brBack;
    }
    return hbr;
}

void CMyFileDialog::OnDestroy() {
    // A dialog ended from outside while a sort runs: its thread still writes the rows.
    while (m_bSorting != 0) {
        tessaly::framework::PumpMessagesFor(10);
    }
    CDialog::OnDestroy();
    SetCurrentDirectoryA(m_strOrgCurDir);
}
