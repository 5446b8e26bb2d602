// The system menu's Undo: the window's last run that is not undone yet, taken back on the worker
// thread with the progress bar and 中止, as Execute runs.
#include "app/MainDialog.h"
#include "app/core/JournalUndo.h"
#include "support/AnsiText.h"

namespace {

// The bar moves as Execute's does: the worker posts WM_MOVE_PROGRESS every 1/1024 of the moves.
class CUndoProgress : public IUndoHost {
public:
    explicit CUndoProgress(DWORD dwUiThreadId) : m_dwUiThreadId(dwUiThreadId) {}

    void OnUndoEntry(const CJournalMove& /*move*/, EUndoOutcome /*eOutcome*/,
                     DWORD /*dwError*/) override {}
    bool IsUndoStopped() override { return g_bAbort != FALSE; }
    void OnUndoProgress(DWORD dwDone, DWORD dwTotal) override {
        g_dwMoveTotal = dwTotal;
        g_dwMoveDone = dwDone;
        const DWORD dwStep = dwTotal / 1024 == 0 ? 1 : dwTotal / 1024;
        if (dwDone % dwStep == 0) {
            PostThreadMessage(m_dwUiThreadId, WM_MOVE_PROGRESS, 0, 0);
        }
    }

private:
    DWORD m_dwUiThreadId;
};

} // namespace

CString CMainDialog::JournalToUndo() const {
    if (!g_bWorkerIdle) {
        return CString();
    }
    const CString strFolder = GetJournalFolder(FALSE);
    return strFolder.IsEmpty() ? CString() : FindJournalToUndo(strFolder, "tessaly");
}

void CMainDialog::OnUndoLast() {
    const CString strJournal = JournalToUndo();
    CJournalSummary summary;
    if (strJournal.IsEmpty() || !ReadJournalSummary(strJournal, summary)) {
        return;
    }
    // The files the run moved, from its last line; a run that was stopped counts what it
    // recorded, which only the whole journal says.
    DWORD dwCount = summary.m_dwMovedAtEnd;
    CJournalContent content;
    if (!summary.m_bEnded) {
        if (!ReadJournal(strJournal, content)) {
            return;
        }
        dwCount = static_cast<DWORD>(content.m_vecMoves.size());
    }
    CString strQuestion;
    strQuestion.Format(AnsiFromUtf8("%u 個のファイルを元の場所に戻します。よろしいですか？"),
                       dwCount);
    if (AfxMessageBox(strQuestion, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
        return;
    }
    m_strUndoJournal = strJournal;
    m_dwUndoCount = dwCount;
    EnableControls(FALSE);
    g_bAbort = FALSE;
    g_dwMoveDone = 0;
    g_dwMoveTotal = 0;
    m_prgMove.SetPos(0);
    g_bWorkerIdle = FALSE;
    if (AfxBeginThread(UndoThreadProc, &m_context) == nullptr) {
        g_bWorkerIdle = TRUE;
        EnableControls(TRUE);
    }
}

UINT CMainDialog::UndoThreadProc(LPVOID pParam) {
    auto* pContext = static_cast<CWorkerContext*>(pParam);
    auto* pDialog = pContext != nullptr ? dynamic_cast<CMainDialog*>(pContext->m_pOwner) : nullptr;
    if (pDialog == nullptr) {
        return 0xFFFFFFFF;
    }
    CUndoProgress progress(pDialog->m_dwUiThreadId);
    CUndoResult result;
    const BOOL bRead = UndoJournal(pDialog->m_strUndoJournal, false, progress, result);
    if (bRead && !g_bAbort) {
        CString strMessage;
        strMessage.Format(AnsiFromUtf8("%u 個中 %u 個のファイルを元に戻しました。"),
                          pDialog->m_dwUndoCount, result.m_dwRestored);
        AfxMessageBox(strMessage);
    }
    PostThreadMessage(pDialog->m_dwUiThreadId, WM_WORK_DONE,
                      reinterpret_cast<WPARAM>(pContext->m_hOwnerWnd), 0);
    g_bWorkerIdle = TRUE;
    return 0;
}
