// The entry list: its columns, the listing of the current folder and the rows that show entries.
#include <algorithm>

#include "picker/EntryText.h"
#include "picker/MyFileDialog.h"
#include "support/AnsiText.h"
#include "support/TraceLog.h"

namespace {

constexpr int kHeaderTextMax = 260;
constexpr int kImageFile = 0;
constexpr int kImageFolder = 1;

void TraceFormat(const char* pcUtf8Format, int iValue) {
    CString strText;
    strText.Format(AnsiFromUtf8(pcUtf8Format), iValue);
    WriteTraceText(strText);
}

LVITEM RowItem(int iIndex, const WIN32_FIND_DATAA* pData) {
    LVITEM item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
    item.iItem = iIndex;
    item.iSubItem = 0;
    item.pszText = const_cast<LPSTR>(pData->cFileName);
    item.iImage = pData->dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY ? kImageFolder : kImageFile;
    item.state = 0;
    item.stateMask = LVIS_SELECTED;
    return item;
}

} // namespace

void CMyFileDialog::InitColumns() {
    m_ListCtrl.SetExtendedStyle(m_ListCtrl.GetExtendedStyle() | LVS_EX_FULLROWSELECT);

    const struct {
        const char* pcHeader;
        int nFormat;
        int nWidth;
    } aColumns[] = {
        {"ファイル名", LVCFMT_LEFT, 200},
        {"ファイルサイズ", LVCFMT_RIGHT, 100},
        {"更新日付", LVCFMT_LEFT, 300},
    };
    for (int i = 0; i < 3; ++i) {
        CString strHeader = AnsiFromUtf8(aColumns[i].pcHeader);
        LVCOLUMN column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = aColumns[i].nFormat;
        column.cx = aColumns[i].nWidth;
        column.pszText = strHeader.GetBuffer();
        column.cchTextMax = kHeaderTextMax;
        column.iSubItem = i;
        m_aiColumn[i] = m_ListCtrl.InsertColumn(m_iColumnNum++, &column);
        strHeader.ReleaseBuffer();
    }
    CRect rcList;
    m_ListCtrl.GetWindowRect(rcList);
    const int iListWidth = rcList.Width() > 0 ? rcList.Width() : 350;
    m_ListCtrl.SetColumnWidth(m_aiColumn[0], 180);
    m_ListCtrl.SetColumnWidth(m_aiColumn[1], 100);
    m_ListCtrl.SetColumnWidth(m_aiColumn[2], iListWidth - 300);

    if (m_bImageListMade == 0) {
        m_ImageList.Create(16, 16, ILC_COLOR4, 2, 1);
        m_ImageList.Add(LoadIconResource(IDI_FILE));
        m_ImageList.Add(LoadIconResource(IDI_FOLDER));
    }
    m_ListCtrl.SetImageList(&m_ImageList, LVSIL_SMALL);
    m_ListCtrl.SetBkColor(RGB(0, 0, 0));
    m_ListCtrl.SetTextBkColor(RGB(0, 0, 0));
    m_ListCtrl.SetTextColor(RGB(255, 255, 255));
}

void CMyFileDialog::ReadFolder() {
    const int iOldRows = m_ListCtrl.GetItemCount();
    if (!ListCurrentFolder()) {
        m_ListCtrl.DeleteAllItems();
        return;
    }
    LockWindowUpdate(m_ListCtrl.m_hWnd);
    WriteAllRows(iOldRows);
    LockWindowUpdate(nullptr);
    ScrollToTop();
}

void CMyFileDialog::WriteAllRows(int iOldRows) {
    const int iRewritten = std::min(iOldRows, m_iItemNum);
    for (int i = 0; i < iRewritten; ++i) {
        const WIN32_FIND_DATAA data = m_aFindData[i];
        SetListItem(i, &data);
    }
    // The rows beyond the old ones go in with one call, as AddItemToList would write each.
    if (m_iItemNum > iRewritten) {
        CString strSize;
        CString strTime;
        const CFileTimeText timeText;
        WIN32_FIND_DATAA data;
        const int iAdded = m_ListCtrl.AppendItems(
            m_iItemNum - iRewritten, [&](int i, LPCTSTR* apszTexts, LPARAM&, int& iImage) {
                data = m_aFindData[iRewritten + i];
                FormatFileSize(data.nFileSizeHigh, data.nFileSizeLow, strSize);
                timeText.Format(data.ftLastWriteTime, strTime);
                apszTexts[0] = data.cFileName;
                apszTexts[1] = strSize;
                apszTexts[2] = strTime;
                iImage = RowItem(iRewritten + i, &data).iImage;
            });
        for (int i = iRewritten + std::max(iAdded, 0); i < m_iItemNum; ++i) {
            TraceFormat("※　iSubItem=0で失敗 Index[%d] AddItemToList()\n", i);
        }
    }
    for (int i = iOldRows - 1; i >= m_iItemNum; --i) {
        m_ListCtrl.DeleteItem(i);
    }
}

void CMyFileDialog::SetListItem(int iIndex, const WIN32_FIND_DATAA* pData) {
    const int iRows = m_ListCtrl.GetItemCount();
    if (iRows > iIndex) {
        ReWriteListItem(iIndex, pData);
    } else {
        AddItemToList(iRows, pData);
    }
}

int CMyFileDialog::AddItemToList(int iIndex, const WIN32_FIND_DATAA* pData) {
    const LVITEM item = RowItem(iIndex, pData);
    if (m_ListCtrl.InsertItem(&item) < 0) {
        TraceFormat("※　iSubItem=0で失敗 Index[%d] AddItemToList()\n", iIndex);
    }
    CString strText;
    FormatFileSize(pData->nFileSizeHigh, pData->nFileSizeLow, strText);
    if (!m_ListCtrl.SetItemText(iIndex, 1, strText)) {
        TraceFormat("※　iSubItem=1で失敗 Index[%d] AddItemToList()\n", iIndex);
    }
    FormatFileTime(pData->ftLastWriteTime, strText);
    if (!m_ListCtrl.SetItemText(iIndex, 2, strText)) {
        TraceFormat("※　iSubItem=2で失敗 Index[%d] AddItemToList()\n", iIndex);
    }
    return 0;
}

void CMyFileDialog::ReWriteListItem(int iIndex, const WIN32_FIND_DATAA* pData) {
    if (iIndex < 0 || pData == nullptr) {
        CString strText;
        strText.Format(
            AnsiFromUtf8("※　無効な引数　ReWriteListItem(iIndex=%d, LPWIN32_FIND_DATA %08X)\n"),
            iIndex, static_cast<unsigned>(reinterpret_cast<UINT_PTR>(pData)));
        WriteTraceText(strText);
        return;
    }
    const LVITEM item = RowItem(iIndex, pData);
    if (!m_ListCtrl.SetItem(&item)) {
        WriteTraceText(AnsiFromUtf8("※　iSubItem=0で失敗  ReWriteListItem()\n"));
    }
    CString strText;
    FormatFileSize(pData->nFileSizeHigh, pData->nFileSizeLow, strText);
    if (!m_ListCtrl.SetItemText(iIndex, 1, strText)) {
        WriteTraceText(AnsiFromUtf8("※　iSubItem=1で失敗  ReWriteListItem()\n"));
    }
    FormatFileTime(pData->ftLastWriteTime, strText);
    if (!m_ListCtrl.SetItemText(iIndex, 2, strText)) {
        WriteTraceText(AnsiFromUtf8("※　iSubItem=2で失敗  ReWriteListItem()\n"));
    }
}

void CMyFileDialog::ScrollToTop() {
    if (m_ListCtrl.GetItemCount() <= 0) {
        return;
    }
    CRect rcLabel;
    m_ListCtrl.GetItemRect(0, rcLabel, LVIR_LABEL);
    m_ListCtrl.Scroll(CSize(rcLabel.left, -(m_ListCtrl.GetTopIndex() * rcLabel.Height())));
    // Scrolled to the end, the list reports as topmost the row partly hidden above the first
    // whole one, so the scroll above stops a row short.
    if (m_ListCtrl.GetTopIndex() != 0) {
        m_ListCtrl.EnsureVisible(0, FALSE);
    }
}
