// CMyFileDialog: the program's own modal picker of files and folders (dialog 103). It shows one
// folder at a time with its drive, path and entries (folders first), lets the user move between
// drives and folders and select any number of entries, and after "選択決定" hands back the current
// folder and the records of the selected entries in row order. A header click sorts the entries on
// a thread of its own while the window goes on.
#pragma once

#include <atomic>
#include <vector>

#include "picker/core/PickerFolder.h"
#include "platform/framework/ui/Afxwin.h"
#include "res/ResourceIds.h"

class CMyFileDialog : public CDialog, public CPickerFolder {
public:
    static constexpr int kMaxRowsForConfirm = 1000000;

    explicit CMyFileDialog(CWnd* pParent = nullptr);
    ~CMyFileDialog() override;

    // Chooses the folder the dialog opens in: 1 when pcFolder (for null or empty, the executable's
    // folder) was accepted, 0 when the executable's folder was taken in its place.
    int SetStartFolder(const char* pcFolder);

    // The sort thread's procedure: -1 without a dialog, else 0 once the rows show the new order.
    static UINT SortThreadProc(LPVOID pParam);

    // After IDOK the caller reads m_strCurDir, GetPickedFolder, m_iItemNum and m_aFindData (the
    // selected records); the folder members live in CPickerFolder.

    std::atomic<int> m_bSorting{0}; // read by the timer while the sort thread runs
    int m_iSortColumn = 0;
    int m_bImageListMade = 0;
    std::vector<CString> m_astrDrive;
    int m_iSelectNum = 0;
    int m_iDriveNum = 0;
    int m_iCurDrive = 0;
    CString m_strOrgCurDir;
    CString m_strExeDir;
    int m_iColumnNum = 0;
    int m_aiColumn[3] = {0, 0, 0};
    CString m_strStartDir;
    CImageList m_ImageList;
    CListCtrl m_ListCtrl;
    CListBox m_DriveList;
    CFont m_Font;
    CBrush m_brBack;
    COLORREF m_crText = RGB(255, 255, 255);
    COLORREF m_crBack = RGB(0, 0, 0);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void OnDestroy();
    void OnUpFolder();
    void OnSelectAll();
    void OnSelchangeDriveList();
    void OnDblclkFileList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnColumnclickFileList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnTimer(UINT_PTR nIDEvent);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

    void InitDriveList();
    void ReadDriveStrings();
    void FillDriveList();
    // The drive list's item of the current folder's drive, selected without notifying.
    void SelectCurrentDrive();
    BOOL IsRootFolder();
    int MoveToParentFolder();
    // TRUE when the selection was kept and the dialog may end.
    BOOL CheckSelection();
    void EnableFolderButtons(BOOL bEnable);

    void InitColumns();
    void ReadFolder();
    void SetListItem(int iIndex, const WIN32_FIND_DATAA* pData);
    int AddItemToList(int iIndex, const WIN32_FIND_DATAA* pData);
    void ReWriteListItem(int iIndex, const WIN32_FIND_DATAA* pData);
    // Rows 0 .. m_iItemNum - 1 from the entries, surplus rows deleted from the end, with the
    // list's redraw off; on the window thread.
    void WriteAllRows(int iOldRows);
    void ScrollToTop();
    void SortByColumn(int iColumn);
    void EnableButtons(BOOL bEnable);

    DECLARE_MESSAGE_MAP()

private:
    // A folder text that names a bare drive ("T:") as the drive's root ("T:\").
    static CString AsFolder(const CString& strFolder);
};
