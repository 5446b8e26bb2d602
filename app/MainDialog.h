// CMainDialog: the program's one window (dialog 102). It holds the filter settings, the store of
// collected files and its list, the operation folder and extension, and runs Add, Exclude,
// Execute and Abort. The collection worker and the move pass reach it through the engine's
// ICollectionOwner and the move pass's IMovePassHost, which it implements.
#pragma once

#include "app/core/MoveJournal.h"
#include "app/core/MovePass.h"
#include "engine/CollectionHost.h"
#include "engine/FileCollector.h"
#include "engine/RunState.h"
#include "platform/framework/ui/Afxwin.h"
#include "support/MyRegex.h"

class CMainDialog : public CDialog, public ICollectionOwner, public IMovePassHost {
public:
    enum { IDD = 102 };

    explicit CMainDialog(CWnd* pParent = nullptr);
    ~CMainDialog() override;

    // List view and totals; called on the window thread, and by the collection worker through
    // the ICollectionOwner calls, which cross to the window thread (FillList once per slice).
    BOOL FillListRows(DWORD dwStart, DWORD dwEnd); // the store's entries [dwStart, dwEnd)
    void UpdateCountHeader();
    void ShowByteTotalText(ULONGLONG ullTotal);
    void EnableControls(BOOL bEnable);

    // The execute worker's pass: the number of files moved.
    UINT MovePass();

    static UINT CollectThreadProc(LPVOID pParam);
    static UINT ExecuteThreadProc(LPVOID pParam);
    static UINT UndoThreadProc(LPVOID pParam);
    // The worker of a header click, Exclude or Exclude all over a list longer than
    // m_iWorkerListRows.
    static UINT ListWorkThreadProc(LPVOID pParam);
    static int CALLBACK CompareRows(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

    // ICollectionOwner, from the collection worker.
    CFileCollector& GetCollection() override { return m_store; }
    void SetNextPickerFolder(const CString& strFolder) override;
    BOOL IsFilterActive() const override;
    void ShowDuplicateCount(DWORD dwCount) override;
    void WriteDuplicateReport(const CString& strPathList) override;
    BOOL FillList() override;
    void ShowByteTotal(ULONGLONG ullTotal) override;
    void PostWorkDone() override;

    // IMovePassHost, from the execute worker.
    void OnMoveProgress() override;
    void OnEntryMoved(DWORD dwIndex, const MovePaths& paths, EMoveOutcome eOutcome) override;
    void ShowMoveResult(const CString& strMessage) override;

    // Members, in the window's order.
    CStatic m_stTargetLabel;   // 1013
    CButton m_chkUseRegex;     // 1012
    CEdit m_edFilter;          // 1011
    CEdit m_edTargetExt;       // 1010
    CProgressCtrl m_prgMove;   // 1006
    CEdit m_edTargetFolder;    // 1002
    CEdit m_edByteTotal;       // 1007
    CListCtrl m_lstFiles;      // 1000
    CMyRegex m_regexCheck;     // validates a pattern before it is handed on
    BOOL m_bFilterActive;      // extension mode with a text other than "*"
    BOOL m_bUseRegex;          // check box 1012 at the last Add
    BOOL m_bHoverTargetButton; // the mouse is over 1003
    BOOL m_bHoverAddButton;    // the mouse is over 1001
    CBrush m_brCheckHover;     // check box 1012's backgrounds
    CBrush m_brCheckNormal;
    COLORREF m_crCheckTextHover;
    COLORREF m_crCheckTextNormal;
    COLORREF m_crCheckBackHover;
    COLORREF m_crCheckBackNormal;
    CBrush m_brLabelHover; // label 1013's backgrounds
    CBrush m_brLabelNormal;
    COLORREF m_crLabelBackHover;
    COLORREF m_crLabelBackNormal;
    COLORREF m_crLabelTextHover;
    COLORREF m_crLabelTextNormal;
    DWORD m_dwUiThreadId;
    CString m_strFilterText;
    CString m_strTargetExt;
    CString m_strTargetFolder;
    UINT m_nTimerId;
    UINT m_nRowCount;
    CFileCollector m_store;
    CWorkerContext m_context;
    CCriticalSection m_csAdd;
    UINT m_nColumnCount;
    CString m_strPickerFolder; // where the next picker opens
    CMoveJournal m_journal;    // the current Execute's, written ahead of its moves
    CString m_strUndoJournal;  // the journal the Undo worker takes back
    DWORD m_dwUndoCount = 0;   // the files it moved, as the question said
    HICON m_hIcon;
    // A sort or an Exclude of more rows than this runs on a worker, the window answering Abort and
    // repainting meanwhile; a shorter list takes less than a frame on the window thread itself.
    int m_iWorkerListRows = 20000;
    int m_iSortColumn = 0; // the running sort's column
    enum class EListWork { Sort, Exclude, ExcludeAll };
    EListWork m_eListWork = EListWork::Sort; // the list command under way

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnAdd();
    void OnExclude();
    void OnExcludeAll();
    void OnTargetFolder();
    void OnDestroy();
    void OnAbort();
    void OnTimer(UINT_PTR nIDEvent);
    void OnExecute();
    void OnShowPlan();
    void OnUndoLast();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    // The plan item's state: the list has rows, the operation folder is set and no worker runs.
    BOOL CanShowPlan() const;
    // The Undo item's: no worker runs and a run of the window's is left to undo (its journal).
    CString JournalToUndo() const;
    void InsertColumns();
    void OnWorkDone();
    void OnMoveProgressMessage();
    BOOL OnDropFiles(HDROP hDrop);
    void RunAdd();
    // From either thread; the store is not changed by anyone else meanwhile (no worker idle).
    // FALSE when Abort came first: the rows keep their order.
    BOOL SortRows(int iColumn);
    // The selected rows and their entries go, unless Abort comes before the store changes.
    void ExcludeSelected();
    void ExcludeAll();
    // A list command, with the controls off: on a worker over a long list, else here.
    void StartListWork(EListWork eWork);
    // The command itself, from either thread; FALSE when a sort gave way to Abort.
    BOOL DoListWork();
    // On the window thread, after it: the sort's direction back if it gave way, the totals (after
    // rows went), the commands and the idle flag.
    void EndListWork(BOOL bDone);
};

// The store the list's comparator reads (the main dialog's), and each column's sort direction.
extern CFileCollector* g_pSortList;
extern int g_iSortDirName;
extern int g_iSortDirSize;
extern int g_iSortDirFolder;
