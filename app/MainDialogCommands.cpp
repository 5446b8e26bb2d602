// Add with its collection worker, and Execute with its move pass.
#include "app/MainDialog.h"
#include "app/PickerHandOver.h"
#include "app/core/ConflictReport.h"
#include "app/core/InputChecks.h"
#include "app/core/PlanReport.h"
#include "engine/Collection.h"
#include "picker/MyFileDialog.h"
#include "res/ResourceIds.h"
#include "support/AnsiText.h"

namespace {

constexpr UINT kFirstTimerId = 1000;
constexpr UINT kTimerIdsTried = 1000;
constexpr UINT kTimerPeriodMs = 100;

} // namespace

void CMainDialog::OnAdd() {
    m_csAdd.Lock();
    if (!g_bWorkerIdle) {
        m_csAdd.Unlock();
        return;
    }
    EnableControls(FALSE);
    RunAdd();
    m_csAdd.Unlock();
}

void CMainDialog::RunAdd() {
    m_edFilter.GetWindowText(m_strFilterText);
    m_bUseRegex = m_chkUseRegex.GetCheck() == BST_CHECKED ? TRUE : FALSE;

    CFilterSetting setting;
    setting.m_strFilterText = m_strFilterText;
    setting.m_bUseRegex = m_bUseRegex;
    setting.m_bFilterActive = m_bFilterActive;
    CString strMessage = CheckFilterSetting(setting, m_regexCheck);
    if (setting.m_strFilterText != m_strFilterText) {
        // An empty field shows what it stands for: "*" or ".+".
        m_strFilterText = setting.m_strFilterText;
        m_edFilter.SetWindowText(m_strFilterText);
    }
    if (strMessage.IsEmpty()) {
        strMessage = ApplyFilterSetting(setting, m_store);
    }
    if (!strMessage.IsEmpty()) {
        AfxMessageBox(strMessage);
        EnableControls(TRUE);
        return;
    }
    m_bFilterActive = setting.m_bFilterActive;

    auto* pPicker = new CMyFileDialog(this);
    pPicker->SetStartFolder(m_strPickerFolder);
    auto* pHandOver = new CPickerHandOver(pPicker);
    m_context.m_pPicker = pHandOver;
    if (pPicker->DoModal() != IDOK) {
        m_context.m_pPicker = nullptr;
        pHandOver->ReleasePicker();
        EnableControls(TRUE);
        return;
    }
    g_bWorkerIdle = FALSE;
    CString strRoot;
    if (pHandOver->GetPickedFolder(strRoot) == 0) {
        strRoot.Empty();
    }
    g_strPickRoot = strRoot;
    // Raised before the header timer can tick: a tick that finds it down ends the timer.
    g_bCollecting = TRUE;
    if (AfxBeginThread(CollectThreadProc, &m_context) == nullptr) {
        // Nobody else will release the picker now.
        m_context.m_pPicker = nullptr;
        pHandOver->ReleasePicker();
        g_bCollecting = FALSE;
        g_bWorkerIdle = TRUE;
        EnableControls(TRUE);
    }
    m_nTimerId = 0;
    for (UINT i = 0; m_nTimerId == 0 && i < kTimerIdsTried; ++i) {
        m_nTimerId = static_cast<UINT>(SetTimer(kFirstTimerId + i, kTimerPeriodMs, nullptr));
    }
}

UINT CMainDialog::CollectThreadProc(LPVOID pParam) {
    auto* pContext = static_cast<CWorkerContext*>(pParam);
    if (pContext == nullptr || pContext->m_pOwner == nullptr) {
        return 0xFFFFFFFF;
    }
    ICollectionPicker* pPicker = pContext->m_pPicker;
    pContext->m_pPicker = nullptr;
    RunCollection(*pContext->m_pOwner, pPicker);
    g_bWorkerIdle = TRUE;
    g_bCollecting = FALSE;
    return 0;
}

void CMainDialog::SetNextPickerFolder(const CString& strFolder) {
    m_strPickerFolder = strFolder;
}

BOOL CMainDialog::IsFilterActive() const {
    return m_bUseRegex || m_bFilterActive;
}

void CMainDialog::ShowDuplicateCount(DWORD dwCount) {
    AfxMessageBox(FormatDuplicateCountBox(dwCount));
}

void CMainDialog::WriteDuplicateReport(const CString& strPathList) {
    WriteConflictReport(strPathList);
}

void CMainDialog::PostWorkDone() {
    PostMessage(WM_WORK_DONE, reinterpret_cast<WPARAM>(m_context.m_hOwnerWnd), 0);
}

void CMainDialog::OnExecute() {
    if (!g_bWorkerIdle) {
        return;
    }
    if (m_strTargetFolder.IsEmpty()) {
        AfxMessageBox(CheckExecuteInputs(m_strTargetFolder, "-"));
        return;
    }
    m_edTargetExt.GetWindowText(m_strTargetExt);
    const CString strMessage = CheckExecuteInputs(m_strTargetFolder, m_strTargetExt);
    if (!strMessage.IsEmpty()) {
        AfxMessageBox(strMessage);
        return;
    }
    // Every move is recorded before it is made; without a journal the user decides.
    if (!m_journal.Begin("tessaly", m_strTargetFolder, m_strTargetExt, DistinctRoots(m_store)) &&
        AfxMessageBox(
            AnsiFromUtf8("移動の記録を書けません。元に戻すことはできませんが、実行しますか？"),
            MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
        return;
    }
    EnableControls(FALSE);
    g_dwMoveDone = 0;
    m_prgMove.SetPos(0);
    g_bWorkerIdle = FALSE;
    if (AfxBeginThread(ExecuteThreadProc, &m_context) == nullptr) {
        if (m_journal.IsOpen()) {
            m_journal.End(0);
        }
        g_bWorkerIdle = TRUE;
        EnableControls(TRUE);
    }
}

void CMainDialog::OnShowPlan() {
    if (!CanShowPlan()) {
        return;
    }
    // The same checks as Execute, so the plan is never of a run that Execute would refuse.
    CString strTargetExt;
    m_edTargetExt.GetWindowText(strTargetExt);
    const CString strMessage = CheckExecuteInputs(m_strTargetFolder, strTargetExt);
    if (!strMessage.IsEmpty()) {
        AfxMessageBox(strMessage);
        return;
    }
    if (!WriteMovePlan(m_store, m_strTargetFolder, strTargetExt)) {
        CString strFailure = AnsiFromUtf8("MovePlan.txt を書けませんでした。ファイルの場所：\n");
        strFailure += GetMovePlanPath();
        AfxMessageBox(strFailure, MB_OK | MB_ICONERROR);
    }
}

UINT CMainDialog::ExecuteThreadProc(LPVOID pParam) {
    auto* pContext = static_cast<CWorkerContext*>(pParam);
    auto* pDialog = pContext != nullptr ? dynamic_cast<CMainDialog*>(pContext->m_pOwner) : nullptr;
    if (pDialog == nullptr) {
        return 0xFFFFFFFF;
    }
    pDialog->MovePass();
    PostThreadMessage(pDialog->m_dwUiThreadId, WM_WORK_DONE,
                      reinterpret_cast<WPARAM>(pContext->m_hOwnerWnd), 0);
    g_bWorkerIdle = TRUE;
    return 0;
}

UINT CMainDialog::MovePass() {
    return RunMovePass(m_store, m_strTargetFolder, m_strTargetExt, *this, &m_journal);
}

void CMainDialog::OnMoveProgress() {
    PostThreadMessage(m_dwUiThreadId, WM_MOVE_PROGRESS, 0, 0);
}

void CMainDialog::OnEntryMoved(DWORD /*dwIndex*/, const MovePaths& /*paths*/,
                               EMoveOutcome /*eOutcome*/) {
    // The window reports per-file failures in the trace log only (the pass writes them).
}

void CMainDialog::ShowMoveResult(const CString& strMessage) {
    AfxMessageBox(strMessage);
}
