// The column sorts: a header click starts a thread that reorders the entries and rewrites the
// rows; a 100 ms timer gives the buttons back once it has finished.
#include "picker/MyFileDialog.h"

namespace {

constexpr UINT_PTR kFirstTimerId = 1;
constexpr UINT_PTR kLastTimerId = 999;
constexpr UINT kTimerPeriodMs = 100;

} // namespace

void CMyFileDialog::SortByColumn(int iColumn) {
    if (iColumn < 0 || iColumn > 2) {
        return;
    }
    SortFolderFirst();
    switch (iColumn) {
    case 0:
        if (m_bNameAsc) {
            SortFolderByNameLoToHi();
            SortFileByNameLoToHi();
            m_bNameAsc = 0;
        } else {
            SortFolderByNameHiToLo();
            SortFileByNameHiToLo();
            m_bNameAsc = 1;
        }
        break;
    case 1:
        if (m_bSizeAsc) {
            SortFileBySizeLoToHi(m_iFolderNum, m_iItemNum - 1);
            m_bSizeAsc = 0;
        } else {
            SortFileBySizeHiToLo(m_iFolderNum, m_iItemNum - 1);
            m_bSizeAsc = 1;
        }
        break;
    default:
        if (m_bTimeAsc) {
            SortFolderByTimeLoToHi();
            SortFileByTimeLoToHi();
            m_bTimeAsc = 0;
        } else {
            SortFolderByTimeHiToLo();
            SortFileByTimeHiToLo();
            m_bTimeAsc = 1;
        }
        break;
    }
    // One crossing to the window thread for the whole rewrite: a crossing per cell would cost
    // seconds for a large folder.
    tessaly::framework::RunOnWindowThread([this] {
        const int iRows = m_ListCtrl.GetItemCount();
        m_ListCtrl.SetRedraw(FALSE);
        WriteAllRows(iRows);
        m_ListCtrl.SetRedraw(TRUE);
    });
}

UINT CMyFileDialog::SortThreadProc(LPVOID pParam) {
    auto* pDialog = static_cast<CMyFileDialog*>(pParam);
    if (pDialog == nullptr) {
        return static_cast<UINT>(-1);
    }
    pDialog->SortByColumn(pDialog->m_iSortColumn);
    // The last touch of the dialog: afterwards the window thread may end and delete it.
    pDialog->m_bSorting = 0;
    return 0;
}

void CMyFileDialog::OnColumnclickFileList(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    const auto* pListView = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    // A second sort would reorder the entries under the running one.
    if (pListView->iSubItem < 0 || m_bSorting != 0) {
        return;
    }
    m_iSortColumn = pListView->iSubItem;
    m_bSorting = 1;
    if (AfxBeginThread(SortThreadProc, this, THREAD_PRIORITY_NORMAL, 0, 0, nullptr) == nullptr) {
        m_bSorting = 0;
        return;
    }
    for (UINT_PTR nId = kFirstTimerId; nId <= kLastTimerId; ++nId) {
        if (SetTimer(nId, kTimerPeriodMs, nullptr) == nId) {
            EnableButtons(FALSE);
            break;
        }
    }
}

void CMyFileDialog::OnTimer(UINT_PTR nIDEvent) {
    if (m_bSorting == 0) {
        KillTimer(nIDEvent);
        EnableButtons(TRUE);
    }
    CDialog::OnTimer(nIDEvent);
}

void CMyFileDialog::EnableButtons(BOOL bEnable) {
    for (int nId : {IDCANCEL, IDOK, IDC_UP_FOLDER, IDC_SELECT_ALL}) {
        if (CWnd* pButton = GetDlgItem(nId)) {
            pButton->EnableWindow(bEnable);
        }
    }
}
