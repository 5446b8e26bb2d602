#include "tools/batch/BatchJournal.h"

#include "app/core/JournalUndo.h"
#include "app/core/MovePlan.h"
#include "app/core/ShownPath.h"
#include "engine/RunState.h"
#include "platform/win32/Win32.h"
#include "support/PathHelpers.h"
#include "tools/batch/Terminal.h"

namespace {

class CUndoPrinter : public IUndoHost {
public:
    explicit CUndoPrinter(bool bDryRun) : m_bDryRun(bDryRun) {}

    void OnUndoEntry(const CJournalMove& move, EUndoOutcome eOutcome, DWORD dwError) override {
        const std::string strDst = ShowPath(move.m_strDst);
        if (eOutcome == EUndoOutcome::Restored) {
            PrintLine(std::string(m_bDryRun ? "would restore " : "restored ") + strDst + " -> " +
                      ShowPath(move.m_strSrc));
            return;
        }
        const std::string strWhy = eOutcome == EUndoOutcome::Changed      ? "changed since"
                                   : eOutcome == EUndoOutcome::Missing    ? "missing"
                                   : eOutcome == EUndoOutcome::PlaceTaken ? "source place taken"
                                                                          : SystemReason(dwError);
        PrintLine(std::string(m_bDryRun ? "would keep " : "kept ") + strDst + ": " + strWhy);
    }

    bool IsUndoStopped() override { return g_bAbort != FALSE; }

private:
    bool m_bDryRun;
};

} // namespace

int ListJournalsCommand() {
    const CString strFolder = GetJournalFolder(FALSE);
    if (strFolder.IsEmpty()) {
        PrintError("no journal folder: no run has been recorded");
        return kExitSkipped;
    }
    for (const CJournalEntry& entry : ListJournals(strFolder)) {
        CJournalContent content;
        if (!ReadJournal(entry.m_strPath, content)) {
            PrintLine(ShowPath(entry.m_strPath) + ": not a journal that can be read");
            continue;
        }
        const std::string strMoved =
            content.m_bEnded
                ? WithSeparators(content.m_dwMovedAtEnd) + " files moved"
                : "stopped, " + WithSeparators(content.m_vecMoves.size()) + " moves recorded";
        PrintLine(content.m_strTime + "  " + content.m_strProgram + "  " +
                  ShowPath(content.m_strOperationFolder) + "  " + strMoved + "  " +
                  WithSeparators(entry.m_ullBytes) + " bytes  " +
                  (content.m_bUndone ? "undone" : "not undone") + "  " + ShowPath(entry.m_strPath));
    }
    return kExitOk;
}

int UndoCommand(const CBatchOptions& options) {
    CString strJournal;
    if (!options.m_strJournal.empty()) {
        if (auto path = tessaly::win32::ToWindowsPath(options.m_strJournal)) {
            strJournal = CString(path->c_str(), static_cast<int>(path->size()));
        }
    } else {
        const CString strFolder = GetJournalFolder(FALSE);
        strJournal = strFolder.IsEmpty() ? CString() : FindJournalToUndo(strFolder);
        if (strJournal.IsEmpty()) {
            PrintLine("nothing to undo: every recorded run is undone");
            return kExitSkipped;
        }
    }
    CUndoPrinter printer(options.m_bDryRun);
    CUndoResult result;
    if (strJournal.IsEmpty() || !UndoJournal(strJournal, options.m_bDryRun, printer, result)) {
        PrintError("cannot read the journal " + options.m_strJournal);
        return kExitUsage;
    }
    if (result.m_bNothingToUndo) {
        PrintLine("nothing left to undo: " + ShowPath(strJournal) + " was undone before");
        return kExitSkipped;
    }
    const DWORD dwLookedAt = result.m_dwRestored + result.m_dwKept;
    PrintLine(std::string(options.m_bDryRun ? "dry run: " : "") +
              (result.m_bStopped ? "interrupted: " : "") + std::to_string(result.m_dwRestored) +
              " of " + std::to_string(dwLookedAt) +
              (options.m_bDryRun ? " files would be restored, " : " files restored, ") +
              std::to_string(result.m_dwKept) + " kept" +
              (options.m_bDryRun
                   ? "; nothing was moved"
                   : ", " + std::to_string(result.m_dwFoldersRemoved) + " folders removed") +
              "; journal " + ShowPath(strJournal));
    FlushOutput();
    if (result.m_bStopped) {
        return kExitInterrupted;
    }
    return result.m_dwKept > 0 ? kExitSkipped : kExitOk;
}
