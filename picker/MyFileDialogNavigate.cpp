// Moving between drives and folders, and the selection of every row.
#include "picker/MyFileDialog.h"

#include <string>

#include "support/AnsiText.h"
#include "support/MyWString.h"

namespace {

constexpr DWORD kDriveStringsSize = 2000;
constexpr int kDriveSlotsGrowth = 100;

} // namespace

void CMyFileDialog::InitDriveList() {
    m_crText = RGB(255, 255, 255);
    m_crBack = RGB(0, 0, 0);
    m_brBack.DeleteObject();
    m_brBack.CreateSolidBrush(m_crBack);

    CRect rcBox;
    m_DriveList.GetWindowRect(rcBox);
    const int iFontHeight = static_cast<int>(rcBox.Height() * 0.7);
    const int iFontWidth = rcBox.Width() / 10;
    m_Font.DeleteObject();
    m_Font.CreateFont(iFontHeight, iFontWidth, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                      AnsiFromUtf8("ＭＳ Ｐゴシック"));
    m_DriveList.SetFont(&m_Font, FALSE);

    // One item fills the box, so its arrows step from drive to drive.
    CRect rcClient;
    m_DriveList.GetClientRect(rcClient);
    m_DriveList.SetItemHeight(0, static_cast<UINT>(rcClient.Height()));

    ReadDriveStrings();
    FillDriveList();
    if (m_DriveList.GetCount() > 1) {
        m_DriveList.SetCurSel(0);
    }
    SelectCurrentDrive();
}

void CMyFileDialog::ReadDriveStrings() {
    char acDrives[kDriveStringsSize] = {};
    const DWORD dwLen = GetLogicalDriveStringsA(kDriveStringsSize, acDrives);
    m_iDriveNum = 0;
    if (dwLen == 0 || dwLen >= kDriveStringsSize) {
        return;
    }
    for (const char* pc = acDrives; *pc != '\0'; pc += std::char_traits<char>::length(pc) + 1) {
        if (static_cast<size_t>(m_iDriveNum) >= m_astrDrive.size()) {
            m_astrDrive.resize(m_astrDrive.size() + kDriveSlotsGrowth);
        }
        m_astrDrive[static_cast<size_t>(m_iDriveNum++)] = pc;
    }
}

void CMyFileDialog::FillDriveList() {
    m_DriveList.ResetContent();
    m_iCurDrive = _getdrive();
    for (int i = 0; i < m_iDriveNum; ++i) {
        const CString strDrive = m_astrDrive[static_cast<size_t>(i)].Left(2);
        const int iItem = m_DriveList.AddString(strDrive);
        if (iItem >= 0) {
            char cLetter = strDrive[0];
            if (cLetter >= 'a' && cLetter <= 'z') {
                cLetter = static_cast<char>(cLetter - 'a' + 'A');
            }
            m_DriveList.SetItemData(iItem, static_cast<DWORD_PTR>(cLetter - 64));
        }
    }
    _chdrive(m_iCurDrive);
}

void CMyFileDialog::SelectCurrentDrive() {
    if (m_strCurDir.GetLength() < 2) {
        return;
    }
    char acDrive[3] = {m_strCurDir[0], m_strCurDir[1], '\0'};
    if (acDrive[0] >= 'a' && acDrive[0] <= 'z') {
        acDrive[0] = static_cast<char>(acDrive[0] - 'a' + 'A');
    }
    const int iItem = m_DriveList.FindString(-1, acDrive);
    if (iItem != LB_ERR) {
        m_DriveList.SetCurSel(iItem);
    }
}

void CMyFileDialog::OnSelchangeDriveList() {
    if (m_bSorting != 0) {
        // The rows still belong to the folder being sorted: show its drive again.
        SelectCurrentDrive();
        return;
    }
    const int iItem = m_DriveList.GetCurSel();
    if (iItem == LB_ERR) {
        return;
    }
    m_iCurDrive = static_cast<int>(m_DriveList.GetItemData(iItem));
    m_strCurDir.Format("%c:\\", m_iCurDrive + 64);
    if (SetCurrentDirectoryA(m_strCurDir)) {
        EnableFolderButtons(TRUE);
        SetDlgItemText(IDC_CUR_FOLDER, m_strCurDir);
        ReadFolder();
        return;
    }
    m_ListCtrl.DeleteAllItems();
    m_iFolderNum = 0;
    m_iItemNum = 0;
    EnableFolderButtons(FALSE);
}

void CMyFileDialog::EnableFolderButtons(BOOL bEnable) {
    for (int nId : {IDC_UP_FOLDER, IDC_SELECT_ALL}) {
        if (CWnd* pButton = GetDlgItem(nId)) {
            pButton->EnableWindow(bEnable);
        }
    }
}

void CMyFileDialog::OnDblclkFileList(NMHDR* /*pNMHDR*/, LRESULT* pResult) {
    *pResult = 0;
    if (m_bSorting != 0) {
        return;
    }
    CPoint pt;
    GetCursorPos(&pt);
    m_ListCtrl.ScreenToClient(&pt);
    const int iRow = m_ListCtrl.HitTest(pt);
    if (iRow < 0 || iRow >= m_iItemNum) {
        return;
    }
    if (m_aFindData.GetAttributes(iRow) != FILE_ATTRIBUTE_DIRECTORY) {
        return;
    }
    const CString strName = m_ListCtrl.GetItemText(iRow, 0);
    const CString strOld = m_strCurDir;
    if (IsRootFolder()) {
        m_strCurDir.Format("%s%s", static_cast<const char*>(strOld),
                           static_cast<const char*>(strName));
    } else {
        m_strCurDir.Format("%s\\%s", static_cast<const char*>(strOld),
                           static_cast<const char*>(strName));
    }
    ReadFolder();
    SetDlgItemText(IDC_CUR_FOLDER, m_strCurDir);
}

BOOL CMyFileDialog::IsRootFolder() {
    const int iLen = m_strCurDir.GetLength();
    if (iLen > 3) {
        return FALSE;
    }
    if (iLen == 3 && m_strCurDir[1] == ':' && m_strCurDir[2] == '\\') {
        return TRUE;
    }
    CString strText;
    strText.Format(AnsiFromUtf8("カレントディレクトリデータが異常[%s]"),
                   static_cast<const char*>(m_strCurDir));
    AfxMessageBox(strText, MB_OK);
    return FALSE;
}

int CMyFileDialog::MoveToParentFolder() {
    // Cut on the UTF-16 form, where a trail byte 0x5C (表, ソ) is no separator.
    const CMyWString strWide(static_cast<const char*>(m_strCurDir));
    const int iPos = strWide.ReverseFindChar(u'\\');
    if (iPos <= 1) {
        return -1;
    }
    m_strCurDir = strWide.GetSectorData(0, iPos == 2 ? 3 : static_cast<DWORD>(iPos));
    return 0;
}

void CMyFileDialog::OnUpFolder() {
    if (m_bSorting != 0) {
        return;
    }
    if (MoveToParentFolder() < 0) {
        return;
    }
    SetDlgItemText(IDC_CUR_FOLDER, m_strCurDir);
    ReadFolder();
}

void CMyFileDialog::OnSelectAll() {
    if (m_bSorting != 0) {
        return;
    }
    m_ListCtrl.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    m_ListCtrl.SetFocus();
}
