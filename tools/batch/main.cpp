// tessaly-batch: the whole job of the window from a terminal. Each TEMPLATE is one Add confirmed
// in the picker, then Execute moves the flat folder's files into the templates' layout.
#include <cstdio>
#include <string>
#include <vector>

#include "app/core/InputChecks.h"
#include "app/core/MovePass.h"
#include "engine/Collection.h"
#include "engine/RunState.h"
#include "platform/win32/Win32.h"
#include "support/AnsiText.h"
#include "support/PathHelpers.h"
#include "support/StartUp.h"
#include "tools/batch/BatchOptions.h"
#include "tools/batch/BatchOwner.h"
#include "tools/batch/BatchPicker.h"
#include "tools/batch/Terminal.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitSkipped = 1;
constexpr int kExitUsage = 2;

BOOL WINAPI OnCtrlC(DWORD) {
    // Runs in signal context: only the lock-free flag.
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

// A terminal path (POSIX or drive form) as the program's Windows path.
CString WindowsPath(const std::string& strUtf8) {
    if (auto path = tessaly::win32::ToWindowsPath(strUtf8)) {
        return CString(path->c_str(), static_cast<int>(path->size()));
    }
    return CString();
}

std::string WithSeparators(ULONGLONG ullValue) {
    char acText[64];
    std::snprintf(acText, sizeof acText, "%llu", static_cast<unsigned long long>(ullValue));
    InsertThousandsSeparators(acText, sizeof acText);
    return acText;
}

// "moving [#########...........]  45%  4,500 of 10,000"
std::string MoveProgressBar(DWORD dwDone, DWORD dwTotal) {
    constexpr int kWidth = 30;
    const int iFilled =
        dwTotal ? static_cast<int>(static_cast<ULONGLONG>(dwDone) * kWidth / dwTotal) : 0;
    const int iPercent =
        dwTotal ? static_cast<int>(static_cast<ULONGLONG>(dwDone) * 100 / dwTotal) : 0;
    char acPercent[8];
    std::snprintf(acPercent, sizeof acPercent, "%3d%%", iPercent);
    return "moving [" + std::string(static_cast<size_t>(iFilled), '#') +
           std::string(static_cast<size_t>(kWidth - iFilled), '.') + "] " + acPercent + "  " +
           WithSeparators(dwDone) + " of " + WithSeparators(dwTotal);
}

const char* Reason(EMoveOutcome eOutcome) {
    switch (eOutcome) {
    case EMoveOutcome::Moved:
        return "moved";
    case EMoveOutcome::SourceMissing:
        return "source missing";
    case EMoveOutcome::AlreadyInPlace:
        return "already in place";
    case EMoveOutcome::DestinationExists:
        return "destination exists";
    case EMoveOutcome::FolderNotCreated:
        return "folder not created";
    case EMoveOutcome::MoveFailed:
        return "move failed";
    }
    return "";
}

bool IsSkipFailure(EMoveOutcome eOutcome) {
    return eOutcome != EMoveOutcome::Moved && eOutcome != EMoveOutcome::AlreadyInPlace;
}

void PrintOutcome(const MovePaths& paths, EMoveOutcome eOutcome, bool bDryRun) {
    if (eOutcome == EMoveOutcome::Moved) {
        PrintLine(std::string(bDryRun ? "would move " : "moved ") + ShowPath(paths.m_strSrcPath) +
                  " -> " + ShowPath(paths.m_strDstPath));
    } else {
        PrintLine(std::string(bDryRun ? "would skip " : "skipped ") + ShowPath(paths.m_strSrcPath) +
                  ": " + Reason(eOutcome));
    }
}

// The window's Execute worker, said on the terminal.
class CBatchMoveHost : public IMovePassHost {
public:
    void OnMoveProgress() override {}
    void OnEntryMoved(DWORD, const MovePaths& paths, EMoveOutcome eOutcome) override {
        ++m_dwVisited;
        if (eOutcome != EMoveOutcome::Moved) {
            PrintOutcome(paths, eOutcome, false);
        }
        m_bSkipFailure = m_bSkipFailure || IsSkipFailure(eOutcome);
    }
    void ShowMoveResult(const CString& strMessage) override { PrintAnsiLine(strMessage); }

    bool HadSkipFailure() const { return m_bSkipFailure; }
    DWORD Visited() const { return m_dwVisited; }

private:
    DWORD m_dwVisited = 0;
    bool m_bSkipFailure = false;
};

int Run(const CBatchOptions& options) {
    InitProgramFolders();

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
        PrintAnsiLine(strRefusal);
        return kExitUsage;
    }
    const CString strTarget = strTargetTyped.IsEmpty() ? CString() : AbsoluteFolder(strTargetTyped);
    if (strTarget.IsEmpty()) {
        PrintError("the operation folder " + options.m_strTarget + " is not an existing folder");
        return kExitUsage;
    }

    CBatchOwner owner(TRUE);
    strRefusal = ApplyFilterSetting(setting, owner.GetCollection());
    if (!strRefusal.IsEmpty()) {
        PrintAnsiLine(strRefusal);
        return kExitUsage;
    }
    owner.SetFilterActive(setting.m_bUseRegex || setting.m_bFilterActive);

    SetConsoleCtrlHandler(OnCtrlC, TRUE);
    bool bMissingTemplate = false;
    {
        CFileCollector& collection = owner.GetCollection();
        CProgressLine progress(
            [&] { return "collecting: " + WithSeparators(collection.GetCount()) + " files"; });
        for (const std::string& strTemplate : options.m_astrTemplates) {
            if (g_bAbort) {
                break;
            }
            CBatchPicker picker;
            const CString strPath = WindowsPath(strTemplate);
            if (strPath.IsEmpty() || picker.Open(strPath) == CBatchPicker::EOpen::Missing) {
                PrintError("TEMPLATE " + strTemplate + " is neither a file nor a folder; skipped");
                bMissingTemplate = true;
                continue;
            }
            CString strRoot;
            picker.GetPickedFolder(strRoot);
            g_strPickRoot = strRoot;
            RunCollection(owner, &picker);
        }
    }
    const CFileCollector& collection = owner.GetCollection();
    PrintLine("collected " + WithSeparators(collection.GetCount()) + " files, " +
              WithSeparators(collection.TotalSize()) + " bytes");
    const std::size_t uUnmapped = tessaly::win32::UnmappableNameCount();
    if (uUnmapped > 0) {
        PrintError(std::to_string(uUnmapped) +
                   " names could not be mapped to the program's code page; their files were left "
                   "out");
    }
    if (g_bAbort) {
        PrintLine("aborted while collecting: nothing was moved");
        return kExitSkipped;
    }

    int iExit = bMissingTemplate || uUnmapped > 0 ? kExitSkipped : kExitOk;
    if (options.m_bDryRun) {
        DWORD dwWouldMove = 0;
        for (DWORD i = 0; i < collection.GetCount(); ++i) {
            MovePaths paths;
            const EMoveOutcome eOutcome =
                BuildMovePaths(&collection.GetAt(i), &paths, strTarget, strExt)
                    ? PredictMove(paths)
                    : EMoveOutcome::MoveFailed;
            PrintOutcome(paths, eOutcome, true);
            dwWouldMove += eOutcome == EMoveOutcome::Moved;
            if (IsSkipFailure(eOutcome)) {
                iExit = kExitSkipped;
            }
        }
        PrintLine("dry run: " + std::to_string(dwWouldMove) + " of " +
                  std::to_string(collection.GetCount()) + " files would move; nothing was moved");
        return iExit;
    }

    g_dwMoveTotal = collection.GetCount();
    g_dwMoveDone = 0;
    CBatchMoveHost host;
    DWORD dwMoved = 0;
    {
        CProgressLine progress([] { return MoveProgressBar(g_dwMoveDone, g_dwMoveTotal); });
        dwMoved = RunMovePass(collection, strTarget, strExt, host);
    }
    if (g_bAbort) {
        PrintLine("aborted: " + std::to_string(dwMoved) + " of " +
                  std::to_string(collection.GetCount()) + " files moved, " +
                  std::to_string(collection.GetCount() - host.Visited()) + " not looked at");
        return kExitSkipped;
    }
    if (host.HadSkipFailure() || tessaly::win32::UnmappableNameCount() > uUnmapped) {
        iExit = kExitSkipped;
    }
    return iExit;
}

} // namespace

int main(int argc, char** argv) {
    std::string strError;
    const auto options = ParseBatchOptions(argc, argv, strError);
    if (!options) {
        PrintError(strError);
        std::fputs(BatchUsage(), stderr);
        return kExitUsage;
    }
    if (options->m_bHelp) {
        std::fputs(BatchUsage(), stdout);
        return kExitOk;
    }
    if (options->m_bVersion) {
        std::puts("tessaly-batch 0.1.0");
        return kExitOk;
    }
    return Run(*options);
}
