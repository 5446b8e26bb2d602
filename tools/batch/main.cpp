// tessaly-batch: the whole job of the window from a terminal. The TEMPLATE arguments are taken as
// Adds confirmed in the picker, gathered into one collection that is checked for duplicate titles
// once; then the flat folder's files are moved into the templates' layout.
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/core/InputChecks.h"
#include "app/core/JournalFile.h"
#include "app/core/MoveJournal.h"
#include "app/core/MovePass.h"
#include "app/core/MovePlan.h"
#include "engine/Collection.h"
#include "engine/RunState.h"
#include "platform/win32/Win32.h"
#include "support/AnsiText.h"
#include "support/PathHelpers.h"
#include "support/StartUp.h"
#include "support/TraceLog.h"
#include "tools/batch/BatchJournal.h"
#include "tools/batch/BatchOptions.h"
#include "tools/batch/BatchOwner.h"
#include "tools/batch/BatchPicker.h"
#include "tools/batch/OutcomeTally.h"
#include "tools/batch/Terminal.h"

namespace {

std::atomic<bool> g_bInterrupted{false};

BOOL WINAPI OnCtrlC(DWORD) {
    // Runs in signal context: only the lock-free flags.
    g_bInterrupted = true;
    g_bAbort = TRUE;
    return TRUE;
}

// A terminal argument as CP932; false, after saying which option it was, when it cannot be
// converted (an empty text in its place would mean something else: every file, say).
bool AnsiArgument(const char* pcOption, const std::string& strUtf8, CString& strAnsi) {
    if (AnsiFromUtf8(strUtf8.c_str(), strAnsi)) {
        return true;
    }
    PrintError(std::string("bad argument for ") + pcOption +
               ": it cannot be converted to the program's code page");
    return false;
}

// Standard output went away (a closed pipe): stop after the current file.
void OnOutputClosed() {
    g_bAbort = TRUE;
}

// A terminal path (POSIX or drive form) as the program's Windows path.
CString WindowsPath(const std::string& strUtf8) {
    if (auto path = tessaly::win32::ToWindowsPath(strUtf8)) {
        return CString(path->c_str(), static_cast<int>(path->size()));
    }
    return CString();
}

// "moving [#########...........]  45%  4,500 of 10,000"
std::string MoveProgressBar(const char* pcLabel, DWORD dwDone, DWORD dwTotal) {
    constexpr int kWidth = 30;
    const int iFilled =
        dwTotal ? static_cast<int>(static_cast<ULONGLONG>(dwDone) * kWidth / dwTotal) : 0;
    const int iPercent =
        dwTotal ? static_cast<int>(static_cast<ULONGLONG>(dwDone) * 100 / dwTotal) : 0;
    char acPercent[8];
    std::snprintf(acPercent, sizeof acPercent, "%3d%%", iPercent);
    return std::string(pcLabel) + " [" + std::string(static_cast<size_t>(iFilled), '#') +
           std::string(static_cast<size_t>(kWidth - iFilled), '.') + "] " + acPercent + "  " +
           WithSeparators(dwDone) + " of " + WithSeparators(dwTotal);
}

// The program's folders, as the window sets them at start. A dry run leaves TraceFile.txt as it
// was: it neither empties nor writes it, nor makes the state folder.
void InitFolders(bool bDryRun) {
    if (bDryRun) {
        LocateProgramFolders();
    } else {
        InitProgramFolders();
    }
}

// Every TEMPLATE into the owner's collection; the duplicate check runs once over all of them.
void CollectTemplates(const CBatchOptions& options, CBatchOwner& owner) {
    CFileCollector& collection = owner.GetCollection();
    CProgressLine progress(
        [&] { return "collecting: " + WithSeparators(collection.GetCount()) + " files"; });
    for (const std::string& strTemplate : options.m_astrTemplates) {
        if (g_bAbort) {
            break;
        }
        CBatchPicker picker;
        const CString strPath = WindowsPath(strTemplate);
        const CBatchPicker::EOpen eOpen =
            strPath.IsEmpty() ? CBatchPicker::EOpen::Missing : picker.Open(strPath);
        if (eOpen == CBatchPicker::EOpen::Missing) {
            const DWORD dwError = strPath.IsEmpty() ? ERROR_INVALID_NAME : picker.GetOpenError();
            owner.LeaveOut("TEMPLATE " + strTemplate + ": " +
                           (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND
                                ? std::string("neither a file nor a folder")
                                : SystemReason(dwError)));
            continue;
        }
        CString strRoot;
        picker.GetPickedFolder(strRoot);
        // A folder TEMPLATE is its own first walked folder: a link inside it back to it, or a
        // later TEMPLATE naming it again, is not walked twice.
        CString strFirst;
        if (eOpen == CBatchPicker::EOpen::Folder &&
            !collection.MarkFolderWalked(picker.GetCurDir(), &strFirst)) {
            owner.NoteWalkedBefore(strTemplate, ShowPath(strFirst));
            continue;
        }
        g_strPickRoot = strRoot;
        CollectPicks(owner, picker);
    }
    FinishCollection(owner);
}

// A folder's names read ahead (ReadFolderNamesAhead) on a thread that is joined on destruction.
class CReadAhead {
public:
    explicit CReadAhead(const CString& strFolder)
        : m_thread([strFolder] { tessaly::win32::ReadFolderNamesAhead(strFolder); }) {}
    ~CReadAhead() { m_thread.join(); }
    CReadAhead(const CReadAhead&) = delete;
    CReadAhead& operator=(const CReadAhead&) = delete;

private:
    std::thread m_thread;
};

int Run(const CBatchOptions& options) {
    InitFolders(options.m_bDryRun);

    CFilterSetting setting;
    CString strExt;
    CString strTargetAnsi;
    if (!AnsiArgument(options.m_bUseRegex ? "--regex" : "--filter", options.m_strFilter,
                      setting.m_strFilterText) ||
        !AnsiArgument("--ext", options.m_strExt, strExt) ||
        !AnsiArgument("--target", options.m_strTarget, strTargetAnsi)) {
        return kExitUsage;
    }
    setting.m_bUseRegex = options.m_bUseRegex;
    CMyRegex validation;
    CString strRefusal = CheckFilterSetting(setting, validation);
    const CString strTargetTyped = WindowsPath(options.m_strTarget);
    if (strRefusal.IsEmpty()) {
        strRefusal = CheckExecuteInputs(strTargetAnsi, strExt);
    }
    if (!strRefusal.IsEmpty()) {
        PrintError(ToUtf8(strRefusal));
        return kExitUsage;
    }
    DWORD dwTargetError = ERROR_PATH_NOT_FOUND;
    const CString strTarget =
        strTargetTyped.IsEmpty() ? CString() : AbsoluteFolder(strTargetTyped, &dwTargetError);
    if (strTarget.IsEmpty()) {
        PrintError("the operation folder " + options.m_strTarget +
                   (dwTargetError == ERROR_PATH_NOT_FOUND || dwTargetError == ERROR_FILE_NOT_FOUND
                        ? std::string(" is not an existing folder")
                        : " cannot be used: " + SystemReason(dwTargetError)));
        return kExitUsage;
    }

    CBatchOwner owner(TRUE, options.m_bDryRun);
    strRefusal = ApplyFilterSetting(setting, owner.GetCollection());
    if (!strRefusal.IsEmpty()) {
        PrintError(ToUtf8(strRefusal));
        return kExitUsage;
    }
    owner.SetFilterActive(setting.m_bUseRegex || setting.m_bFilterActive);

    SetConsoleCtrlHandler(OnCtrlC, TRUE);
    SetOutputClosedHandler(OnOutputClosed);
    const std::size_t uUnmappedBefore = tessaly::win32::UnmappableNameCount();
    // The first folder made in the operation folder has its names read, a long read in a big one:
    // done on a thread of its own while the walk runs. Joined at the end, so that the moves never
    // wait for it (a lookup that comes first reads the folder itself).
    const CReadAhead readAhead(strTarget);
    CollectTemplates(options, owner);

    const CFileCollector& collection = owner.GetCollection();
    const DWORD dwCount = collection.GetCount();
    PrintLine("collected " + WithSeparators(dwCount) + " files, " +
              WithSeparators(collection.TotalSize()) + " bytes");
    FlushOutput();
    // Names left out where the owner does not hear of it (a listing on a thread of its own).
    const std::size_t uUnmapped = tessaly::win32::UnmappableNameCount() - uUnmappedBefore;
    if (uUnmapped > 0) {
        owner.LeaveOut(std::to_string(uUnmapped) +
                       " more names: they are too long in the program's code page");
    }
    if (g_bAbort) {
        PrintLine("aborted while collecting: nothing was moved");
        return g_bInterrupted ? kExitInterrupted : kExitSkipped;
    }

    // Every move is recorded before it is made, so that --undo can take the run back.
    std::unique_ptr<CMoveJournal> pJournal;
    bool bJournalFailed = false;
    if (!options.m_bDryRun && !options.m_bNoJournal && dwCount > 0) {
        pJournal = std::make_unique<CMoveJournal>();
        if (!pJournal->Begin("tessaly-batch", strTarget, strExt, DistinctRoots(collection))) {
            const CString strFolder = GetJournalFolder(FALSE);
            PrintError("the journal of this run cannot be written" +
                       (strFolder.IsEmpty() ? std::string(": no state folder can be made")
                                            : " in " + ShowPath(strFolder)) +
                       "; nothing was moved (--no-journal moves without one)");
            return kExitSkipped;
        }
    }
    COutcomeTally tally(collection, options.m_bDryRun);
    g_dwMoveTotal = dwCount;
    g_dwMoveDone = 0;
    {
        const char* pcLabel = options.m_bDryRun ? "checking" : "moving";
        CProgressLine progress(
            [pcLabel] { return MoveProgressBar(pcLabel, g_dwMoveDone, g_dwMoveTotal); },
            !options.m_bDryRun);
        auto report = [&](DWORD i, const MovePaths& paths, const CBatchResult& result) {
            g_dwMoveDone = i + 1;
            tally.Report(paths, result);
        };
        if (options.m_bDryRun) {
            PredictBatchPass(collection, strTarget, strExt, report);
        } else {
            // Claims are settled before anything moves, so the dry run and the run name the same
            // ones.
            const CBatchPass pass(collection, strTarget, strExt);
            // A claimed entry is not moved; one whose paths cannot be built is not recorded.
            CJournalAhead ahead(pJournal.get(), collection, strTarget, strExt,
                                [&pass](DWORD j) { return !pass.IsClaimed(j); });
            MovePaths paths; // refilled for each entry, keeping its strings' room
            for (DWORD i = 0; i < dwCount && !g_bAbort; ++i) {
                CBatchResult result;
                // The journal's look-ahead builds the paths of the entries it records: taken
                // over, not built again.
                const bool bReady = ahead.Ready(i);
                const bool bBuilt = ahead.TakePaths(i, paths);
                if (!pass.Settle(i, paths, result, bBuilt)) {
                    if (bReady) {
                        result = RunBatchMove(paths, ahead.Seen(i), &ahead);
                    } else if (ahead.Failed()) {
                        bJournalFailed = true;
                        break;
                    } else if (PredictBatchMove(paths).m_eOutcome == EBatchOutcome::Moved) {
                        // Its source came after the records were written: not moved unrecorded.
                        result.m_eOutcome = EBatchOutcome::SourceMissing;
                    } else {
                        result = RunBatchMove(paths); // in place, or in the way: said as usual
                    }
                }
                g_dwMoveDone = i + 1;
                // Swapped for the tally's strings, which the next entry refills: not copied.
                tally.Report(std::move(paths), result);
            }
        }
        tally.Finish();
    }
    if (pJournal && !pJournal->End(tally.Moved())) {
        bJournalFailed = true;
    }
    if (bJournalFailed) {
        PrintError("the journal " + ShowPath(pJournal->GetPath()) +
                   " could no longer be written: stopped before the next file");
    }

    if (!options.m_bDryRun && !g_bAbort) {
        // The window's count message.
        PrintAnsiLine(FormatMoveResult(dwCount, tally.Moved()));
    }
    const DWORD dwNotLookedAt = dwCount - tally.Visited();
    PrintLine(std::string(options.m_bDryRun ? "dry run: " : "") +
              (g_bInterrupted ? "interrupted: " : "") + std::to_string(tally.Moved()) + " of " +
              std::to_string(dwCount) +
              (options.m_bDryRun ? " files would move, " : " files moved, ") +
              std::to_string(tally.InPlace()) + " already in place, " +
              std::to_string(tally.NotMoved()) + " not moved" +
              (dwNotLookedAt ? ", " + std::to_string(dwNotLookedAt) + " not looked at" : "") +
              "; " + std::to_string(owner.GetDuplicateCount()) + " dropped as duplicates, " +
              std::to_string(owner.GetLeftOutCount()) + " left out" +
              (options.m_bDryRun ? "; nothing was moved" : ""));
    if (!FlushOutput()) {
        PrintError("standard output was closed: stopped after the current file");
    }

    if (g_bInterrupted) {
        return kExitInterrupted;
    }
    const bool bAllDropped = dwCount == 0 && owner.GetDuplicateCount() > 0;
    const bool bFailed = IsOutputClosed() || bJournalFailed || dwNotLookedAt > 0 ||
                         tally.NotMoved() > 0 || owner.GetLeftOutCount() > 0 ||
                         owner.ReportFailed() || bAllDropped;
    return bFailed ? kExitSkipped : kExitOk;
}

} // namespace

int main(int argc, char** argv) {
#ifdef SIGPIPE
    // A closed pipe shows as a failed write, so the move in hand can finish.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    std::vector<std::string> astrArgs = tessaly::win32::StartTerminal(argc, argv);
    std::vector<char*> apcArgs;
    for (std::string& strArg : astrArgs) {
        apcArgs.push_back(strArg.data());
    }
    apcArgs.push_back(nullptr);
    std::string strError;
    const auto options =
        ParseBatchOptions(static_cast<int>(astrArgs.size()), apcArgs.data(), strError);
    if (!options) {
        PrintError(strError);
        tessaly::win32::WriteStdStream(STD_ERROR_HANDLE, BatchUsage());
        return kExitUsage;
    }
    if (options->m_bHelp) {
        tessaly::win32::WriteStdStream(STD_OUTPUT_HANDLE, BatchUsage());
        return kExitOk;
    }
    if (options->m_bJournals) {
        return ListJournalsCommand();
    }
    if (options->m_bUndo) {
        SetConsoleCtrlHandler(OnCtrlC, TRUE);
        SetOutputClosedHandler(OnOutputClosed);
        const int iStatus = UndoCommand(*options);
        return g_bInterrupted ? kExitInterrupted : iStatus;
    }
    if (options->m_bVersion) {
        tessaly::win32::WriteStdStream(STD_OUTPUT_HANDLE, "tessaly-batch " TESSALY_VERSION "\n");
        return kExitOk;
    }
    return Run(*options);
}
