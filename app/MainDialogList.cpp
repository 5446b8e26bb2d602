// The list view of collected files, the count header, the byte total, the progress bar and the
// list commands of the main dialog.
#include <algorithm>
#include <utility>
#include <vector>

#include "app/MainDialog.h"
#include "app/SortKeys.h"
#include "platform/win32/Win32.h"
#include "res/ResourceIds.h"
#include "support/AnsiText.h"
#include "support/MyWString.h"
#include "support/PathHelpers.h"
#include "support/TraceLog.h"

CFileCollector* g_pSortList = nullptr;
int g_iSortDirName = 1;
int g_iSortDirSize = 1;
int g_iSortDirFolder = 1;

namespace {

int& SortDirOf(int iColumn) {
    return iColumn == 0 ? g_iSortDirName : iColumn == 1 ? g_iSortDirSize : g_iSortDirFolder;
}

constexpr int kColumnTextMax = 260;
// The longest wait for a finished worker to mark itself idle.
constexpr int kIdleWaitMs = 2000;
// Rows of one refill crossing: some 10 to 20 ms of the window thread.
constexpr DWORD kRefillSlice = 25000;
constexpr DWORD kNumberBytes = 64;

// "%I64u" with thousands' separators; the digits are written without formatting, as the refill
// writes a million of them.
void FormatWithSeparators(ULONGLONG ullValue, char (&acText)[kNumberBytes]) {
    char acDigits[24];
    int iDigits = 0;
    do {
        acDigits[iDigits++] = static_cast<char>('0' + ullValue % 10);
        ullValue /= 10;
    } while (ullValue != 0);
    for (int i = 0; i < iDigits; ++i) {
        acText[i] = acDigits[iDigits - 1 - i];
    }
    acText[iDigits] = '\0';
    InsertThousandsSeparators(acText, kNumberBytes);
}

CString FormatWithSeparators(ULONGLONG ullValue) {
    char acText[kNumberBytes];
    FormatWithSeparators(ullValue, acText);
    return CString(acText);
}

} // namespace

void CMainDialog::InsertColumns() {
    CRect rcClient;
    GetClientRect(&rcClient);
    struct Column {
        const char* pszHeader;
        int nWidth;
        int nFormat;
    };
    const Column aColumns[] = {
        {"ファイル名", 170, LVCFMT_LEFT},
        {"サイズ", 80, LVCFMT_RIGHT},
        {"フォルダパス", rcClient.Width() - 280, LVCFMT_LEFT},
    };
    m_nColumnCount = 0;
    for (int i = 0; i < 3; ++i) {
        CString strHeader = AnsiFromUtf8(aColumns[i].pszHeader);
        LVCOLUMN column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = aColumns[i].nFormat;
        column.cx = aColumns[i].nWidth;
        column.pszText = strHeader.GetBuffer(kColumnTextMax);
        column.cchTextMax = kColumnTextMax;
        column.iSubItem = i;
        if (m_lstFiles.InsertColumn(i, &column) >= 0) {
            ++m_nColumnCount;
        }
        strHeader.ReleaseBuffer();
    }
    m_lstFiles.SetExtendedStyle(m_lstFiles.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
}

BOOL CMainDialog::FillList() {
    // From the worker the rows go in by slices, one crossing to the window thread each, so that
    // the window repaints and answers Abort between them; the rows are the same as one by one.
    // A window that is closing meanwhile gets no more of them.
    const DWORD dwCount = m_store.GetCount();
    tessaly::framework::RunOnWindowThread([&] {
        m_lstFiles.SetRedraw(FALSE);
        m_lstFiles.DeleteAllItems();
        m_nRowCount = 0;
        m_lstFiles.SetItemCount(static_cast<int>(dwCount));
        m_lstFiles.SetRedraw(TRUE);
    });
    BOOL bAll = TRUE;
    DWORD dwStart = 0;
    do {
        const DWORD dwEnd = dwCount - dwStart > kRefillSlice ? dwStart + kRefillSlice : dwCount;
        tessaly::framework::RunOnWindowThread([&] { bAll = FillListRows(dwStart, dwEnd) && bAll; });
        dwStart = dwEnd;
    } while (dwStart < dwCount && !g_bClosing);
    return bAll;
}

BOOL CMainDialog::FillListRows(DWORD dwStart, DWORD dwEnd) {
    // All of a slice in one call, which the view takes as rows added at its end: turning redraw
    // off and on would have it start over from its first row at every slice.
    char acSize[kNumberBytes];
    const int iRows = static_cast<int>(dwEnd - dwStart);
    const int iAdded =
        m_lstFiles.AppendItems(iRows, [&](int i, LPCTSTR* apszTexts, LPARAM& lParam, int&) {
            const CFileEntry& entry = m_store.GetAt(dwStart + static_cast<DWORD>(i));
            FormatWithSeparators(entry.m_ullSize, acSize);
            apszTexts[0] = entry.m_strName.GetString();
            apszTexts[1] = acSize;
            apszTexts[2] = entry.m_strFolder.GetString();
            lParam = static_cast<LPARAM>(entry.m_nId);
        });
    m_nRowCount += static_cast<UINT>(std::max(iAdded, 0));
    // Rows the list did not take are traced as one by one they were.
    for (int i = std::max(iAdded, 0); i < iRows; ++i) {
        WriteTraceFormat(AnsiFromUtf8("リストコントロールへの追加に失敗。CurItemNum[%u]\n"),
                         m_nRowCount);
        m_store.GetAt(dwStart + static_cast<DWORD>(i)).DumpToTrace();
    }
    UpdateCountHeader();
    return iAdded == iRows ? TRUE : FALSE;
}

void CMainDialog::UpdateCountHeader() {
    if (m_nColumnCount == 0) {
        return;
    }
    CString strHeader;
    strHeader.Format(AnsiFromUtf8("ファイル名 (%u)"), m_nRowCount);
    LVCOLUMN column{};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<LPSTR>(strHeader.GetString());
    m_lstFiles.SetColumn(0, &column);
}

void CMainDialog::ShowByteTotal(ULONGLONG ullTotal) {
    tessaly::framework::RunOnWindowThread([&] { ShowByteTotalText(ullTotal); });
}

void CMainDialog::ShowByteTotalText(ULONGLONG ullTotal) {
    m_edByteTotal.SetWindowText(FormatWithSeparators(ullTotal));
}

void CMainDialog::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == m_nTimerId && m_nTimerId != 0) {
        CString strHeader;
        strHeader.Format(AnsiFromUtf8("ファイル名 (%u)"), m_store.GetCount());
        if (g_bCollecting) {
            LVCOLUMN column{};
            column.mask = LVCF_TEXT;
            column.pszText = const_cast<LPSTR>(strHeader.GetString());
            m_lstFiles.SetColumn(0, &column);
        } else {
            KillTimer(nIDEvent);
            m_nTimerId = 0;
        }
    }
    CDialog::OnTimer(nIDEvent);
}

void CMainDialog::OnWorkDone() {
    if (g_bClosing) {
        return;
    }
    m_prgMove.SetPos(1024);
    // The worker marks itself idle just after posting this. The commands come back only then,
    // so that a click on them is never refused as if a worker still ran.
    for (int i = 0; i < kIdleWaitMs && !g_bWorkerIdle; ++i) {
        Sleep(1);
    }
    EnableControls(TRUE);
    g_bAbort = FALSE;
}

void CMainDialog::OnMoveProgressMessage() {
    const DWORD dwTotal = g_dwMoveTotal;
    if (dwTotal == 0) {
        return; // nothing to divide by: a pass over an empty store posts nothing
    }
    const double dPos = static_cast<double>(g_dwMoveDone) * 1024.0 / dwTotal;
    m_prgMove.SetPos(static_cast<int>(dPos));
}

void CMainDialog::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult) {
    const auto* pListView = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    const int iColumn = pListView->iSubItem;
    *pResult = 0;
    // The sort reads the store, which a running worker may be changing.
    if (iColumn < 0 || iColumn > 2 || !g_bWorkerIdle) {
        return;
    }
    SortDirOf(iColumn) = -SortDirOf(iColumn);
    m_iSortColumn = iColumn;
    StartListWork(EListWork::Sort);
}

void CMainDialog::StartListWork(EListWork eWork) {
    EnableControls(FALSE);
    g_bWorkerIdle = FALSE;
    m_eListWork = eWork;
    if (m_lstFiles.GetItemCount() > m_iWorkerListRows &&
        AfxBeginThread(ListWorkThreadProc, this) != nullptr) {
        return;
    }
    EndListWork(DoListWork());
}

UINT CMainDialog::ListWorkThreadProc(LPVOID pParam) {
    auto* pDialog = static_cast<CMainDialog*>(pParam);
    const BOOL bDone = pDialog->DoListWork();
    // The last touch of the dialog: afterwards the window may close and go.
    tessaly::framework::RunOnWindowThread([&] { pDialog->EndListWork(bDone); });
    return 0;
}

BOOL CMainDialog::DoListWork() {
    switch (m_eListWork) {
    case EListWork::Sort:
        return SortRows(m_iSortColumn);
    case EListWork::Exclude:
        ExcludeSelected();
        return TRUE;
    default:
        ExcludeAll();
        return TRUE;
    }
}

BOOL CMainDialog::SortRows(int iColumn) {
    // Each row's identifier, its rank in the column, then the rows ordered by rank: the window
    // thread is needed only to read the rows and to put them in the new order.
    std::vector<DWORD_PTR> vecIds;
    m_lstFiles.GetAllItemData(&vecIds);
    if (g_bAbort) {
        return FALSE;
    }
    CRowArray<int> vecOrder;
    {
        CSortKeys keys;
        keys.Build(m_store, iColumn);
        if (g_bAbort) {
            return FALSE;
        }
        vecOrder = keys.Order(std::move(vecIds), SortDirOf(iColumn));
    }
    // From a worker the framework's call makes the rows' new array and frees the old one here,
    // the window thread only moving the rows. An Abort clicked after this test comes after the
    // whole sort.
    return !g_bAbort && m_lstFiles.ReorderItems(vecOrder) ? TRUE : FALSE;
}

int CALLBACK CMainDialog::CompareRows(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort) {
    if (g_pSortList == nullptr) {
        return 0;
    }
    const DWORD nId1 = static_cast<DWORD>(lParam1);
    const DWORD nId2 = static_cast<DWORD>(lParam2);
    if (lParamSort > 2 || lParamSort < 0) {
        return 0;
    }
    const int iDir = SortDirOf(static_cast<int>(lParamSort));
    const CFileEntry* pEntry1 = g_pSortList->FindById(nId1);
    const CFileEntry* pEntry2 = g_pSortList->FindById(nId2);
    if (pEntry1 == nullptr || pEntry2 == nullptr || pEntry1 == pEntry2) {
        return 0;
    }
    switch (lParamSort) {
    case 0: {
        const CMyWString strName1(pEntry1->m_strName.GetString());
        const CMyWString strName2(pEntry2->m_strName.GetString());
        return strName1.Compare(strName2.GetBuff(), TRUE) * iDir;
    }
    case 1: {
        const int iOrder = pEntry1->m_ullSize < pEntry2->m_ullSize   ? -1
                           : pEntry1->m_ullSize > pEntry2->m_ullSize ? 1
                                                                     : 0;
        return iOrder * iDir;
    }
    default:
        const int iOrder =
            _mbscmp(reinterpret_cast<const unsigned char*>(pEntry1->m_strFolder.GetString()),
                    reinterpret_cast<const unsigned char*>(pEntry2->m_strFolder.GetString()));
        return (iOrder < 0 ? -1 : iOrder > 0 ? 1 : 0) * iDir;
    }
}

void CMainDialog::OnExclude() {
    if (g_bWorkerIdle) {
        StartListWork(EListWork::Exclude);
    }
}

void CMainDialog::ExcludeSelected() {
    std::vector<int> vecSelected;
    std::vector<DWORD_PTR> vecIds;
    m_lstFiles.GetSelectedItems(&vecSelected, &vecIds);
    // Every selected row goes with its entry, whatever became of its file on disk since the Add:
    // the user chose them. A row finds its entry by its identifier; one whose identifier finds
    // none (not expected) by the path its texts spell, as before identifiers were used. The
    // entries are released last row first, as removing the rows one by one would visit them.
    std::vector<DWORD> vecFind(vecIds.size());
    for (size_t k = 0; k < vecIds.size(); ++k) {
        vecFind[k] = static_cast<DWORD>(vecIds[k]);
    }
    std::vector<int> vecFound;
    m_store.FindPosByIds(vecFind, &vecFound);
    std::vector<DWORD> vecPositions;
    vecPositions.reserve(vecSelected.size());
    for (size_t k = vecSelected.size(); k-- > 0 && !g_bAbort;) {
        int iPos = vecFound[k];
        if (iPos < 0) {
            CString strPath = m_lstFiles.GetItemText(vecSelected[k], 2);
            strPath += "\\";
            strPath += m_lstFiles.GetItemText(vecSelected[k], 0);
            iPos = m_store.FindByPath(strPath);
        }
        if (iPos >= 0) {
            vecPositions.push_back(static_cast<DWORD>(iPos));
        }
    }
    // Abort before the store changes leaves everything; once it has changed, the rows follow, so
    // that the list and the store always agree.
    if (vecSelected.empty() || g_bAbort) {
        return;
    }
    m_store.RemovePositions(vecPositions);
    // The texts of the rows that go are freed here, after the framework's crossing.
    m_lstFiles.DeleteItems(vecSelected);
    m_nRowCount = static_cast<UINT>(m_lstFiles.GetItemCount());
}

void CMainDialog::EndListWork(BOOL bDone) {
    const BOOL bSort = m_eListWork == EListWork::Sort;
    if (bSort && !bDone) {
        // As if the click had not been: the next one sorts this way again.
        SortDirOf(m_iSortColumn) = -SortDirOf(m_iSortColumn);
    }
    if (!g_bClosing) {
        if (!bSort) {
            ShowByteTotalText(m_store.TotalSize());
            UpdateCountHeader();
        }
        EnableControls(TRUE);
        m_lstFiles.Invalidate();
    }
    g_bAbort = FALSE;
    g_bWorkerIdle = TRUE;
}

void CMainDialog::OnExcludeAll() {
    if (g_bWorkerIdle) {
        StartListWork(EListWork::ExcludeAll);
    }
}

void CMainDialog::ExcludeAll() {
    // The rows leave the list in one short crossing; they and the entries are freed here.
    m_lstFiles.DeleteAllItems();
    m_nRowCount = 0;
    m_store.Clear();
}

void CMainDialog::OnAbort() {
    if (!g_bWorkerIdle) {
        g_bAbort = TRUE;
    }
}
