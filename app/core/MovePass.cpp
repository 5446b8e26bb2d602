#include "app/core/MovePass.h"

#include <cstring>
#include <string>

#include "app/core/MoveJournal.h"
#include "engine/RunState.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "support/AnsiText.h"
#include "support/MyWString.h"
#include "support/PathHelpers.h"
#include "support/SJisConv.h"
#include "support/TraceLog.h"

namespace {

// One trace entry "<message>\n:<path>" followed by a line feed, in CP932. The failure's own
// code survives the log's writing, for a caller that shows why.
void TracePath(const char* pcMessageUtf8, LPCSTR pcPath) {
    const DWORD dwError = GetLastError();
    CString strText;
    strText.Format(AnsiFromUtf8(pcMessageUtf8), pcPath);
    AppendTraceText(strText, TRUE);
    SetLastError(dwError);
}

// Whether strWide holds all of strAnsi: a text ending in a lone lead byte loses it, and a failed
// conversion leaves nothing.
bool ConvertedWhole(LPCSTR pcAnsi, const CMyWString& strWide) {
    if (strWide.GetError()) {
        return false;
    }
    const DWORD dwBytes = static_cast<DWORD>(std::strlen(pcAnsi));
    return dwBytes == 0 || (strWide.GetLength() > 0 && !IsEndingInSJisLeadByte(pcAnsi, dwBytes));
}

// A killed run's half copies go from every destination folder a run visits, also where nothing
// moves in (a move sweeps its own). Entries come folder by folder: one call a folder.
void SweepDestinationFolder(LPCSTR pcFolder) {
    thread_local std::string s_strLast;
    if (s_strLast != pcFolder) {
        s_strLast = pcFolder;
        tessaly::win32::RemoveStaleMoveTemporaries(pcFolder);
    }
}

// True when strFolder may be made: without a journal always, with one once it is recorded there.
bool RecordFolderToMake(CJournalAhead* pJournal, const CString& strFolder) {
    return pJournal == nullptr || pJournal->RecordFolderToMake(strFolder);
}

} // namespace

namespace {

// The relative folder of the last root and folder this thread cut: entries come folder by
// folder, so most calls ask again for the same pair. Only cuts that converted cleanly are kept,
// so a failing pair still converts (and traces) every time.
struct CRelFolderCut {
    std::string m_strRoot;
    std::string m_strFolder;
    CString m_strRelFolder;
    bool m_bValid = false;
};

// 1 with the relative folder, 0 when the folder's place below the root cannot be told.
int CutRelFolder(LPCSTR pcRoot, LPCSTR pcFolder, CString& strRelFolder) {
    thread_local CRelFolderCut s_last;
    if (s_last.m_bValid && s_last.m_strRoot == pcRoot && s_last.m_strFolder == pcFolder) {
        strRelFolder = s_last.m_strRelFolder;
        return 1;
    }
    // The relative folder is cut by position in UTF-16, so a trail byte 0x5C is never a separator.
    const CMyWString strRoot(pcRoot);
    const CMyWString strFolder(pcFolder);
    // A root or folder that did not convert whole would be cut at the wrong place: an empty root
    // cuts T:\wav\sub into :\wav\sub, a folder ":" in the operation folder. A colon is never
    // part of a name here (the name codec maps it), so one in the relative folder is such a cut.
    if (*pcRoot == '\0' || !ConvertedWhole(pcRoot, strRoot) ||
        !ConvertedWhole(pcFolder, strFolder)) {
        return 0;
    }
    const DWORD dwStart = strRoot.GetLength() + 1;
    strRelFolder = strFolder.GetSectorData(dwStart);
    if (strRelFolder.Find(':') >= 0) {
        strRelFolder.Empty();
        return 0;
    }
    // An empty cut past the folder's end is clean; one inside it failed (and traced).
    if (!strRelFolder.IsEmpty() || dwStart >= strFolder.GetLength()) {
        s_last.m_bValid = false;
        s_last.m_strRoot = pcRoot;
        s_last.m_strFolder = pcFolder;
        s_last.m_strRelFolder = strRelFolder;
        s_last.m_bValid = true;
    }
    return 1;
}

// "a" + separator + "b", as "%s<sep>%s" formats it.
void Join(CString& strOut, LPCSTR pcFirst, char cSep, LPCSTR pcSecond) {
    strOut = pcFirst;
    strOut += cSep;
    strOut += pcSecond;
}

} // namespace

CString BuildMoveName(const CFileEntry& entry, LPCSTR pcTargetExt) {
    CString strName;
    Join(strName, GetFileTitleFromPath(entry.m_strFullPath), '.', pcTargetExt);
    return strName;
}

int BuildMovePaths(const CFileEntry* pEntry, MovePaths* pPaths, LPCSTR pcOperationFolder,
                   LPCSTR pcTargetExt) {
    if (pEntry == nullptr || pPaths == nullptr) {
        return 0;
    }
    pPaths->m_strRelFolder.Empty();
    pPaths->m_strDstFolder.Empty();
    pPaths->m_strDstPath.Empty();
    CString strRelFolder;
    const int iCut = CutRelFolder(pEntry->m_strRoot, pEntry->m_strFolder, strRelFolder);
    pPaths->m_strTitle = GetFileTitleFromPath(pEntry->m_strFullPath);
    Join(pPaths->m_strNewName, pPaths->m_strTitle, '.', pcTargetExt);
    Join(pPaths->m_strSrcPath, pcOperationFolder, '\\', pPaths->m_strNewName);
    if (!iCut) {
        return 0;
    }
    pPaths->m_strRelFolder = strRelFolder;
    if (pPaths->m_strRelFolder.IsEmpty()) {
        pPaths->m_strDstFolder = pcOperationFolder;
    } else {
        Join(pPaths->m_strDstFolder, pcOperationFolder, '\\', pPaths->m_strRelFolder);
    }
    Join(pPaths->m_strDstPath, pPaths->m_strDstFolder, '\\', pPaths->m_strNewName);
    return 1;
}

EMoveOutcome PredictMove(const MovePaths& paths) {
    if (!IsExistFile(paths.m_strSrcPath, FALSE, FALSE)) {
        return EMoveOutcome::SourceMissing;
    }
    if (IsExistFile(paths.m_strDstPath, FALSE, FALSE)) {
        return paths.m_strDstPath == paths.m_strSrcPath ? EMoveOutcome::AlreadyInPlace
                                                        : EMoveOutcome::DestinationExists;
    }
    return EMoveOutcome::Moved;
}

int MoveOneFile(const MovePaths& paths, EMoveOutcome* peOutcome, ESeenBeforeMove eSeen,
                CJournalAhead* pJournal) {
    // A source just seen is moved at once: MoveFileA looks its destination and folder up itself
    // and never replaces. A destination folder seen missing is made first; one the try finds
    // missing is made, and the move tried again. Only when that fails are the checks made, which
    // then say why. A folder the journal did not name as one to make is named there first.
    bool bMoved =
        eSeen == ESeenBeforeMove::Source && MoveFileA(paths.m_strSrcPath, paths.m_strDstPath);
    const bool bFolderGone =
        eSeen == ESeenBeforeMove::Source && !bMoved && GetLastError() == ERROR_PATH_NOT_FOUND;
    if (eSeen == ESeenBeforeMove::SourceNoFolder || bFolderGone) {
        bMoved = (!bFolderGone || RecordFolderToMake(pJournal, paths.m_strDstFolder)) &&
                 MakeSureDirectoryPathExists(paths.m_strDstFolder + "\\") &&
                 MoveFileA(paths.m_strSrcPath, paths.m_strDstPath);
    }
    if (bMoved) {
        if (peOutcome != nullptr) {
            *peOutcome = EMoveOutcome::Moved;
        }
        return 1;
    }
    EMoveOutcome eOutcome = PredictMove(paths);
    if (eOutcome == EMoveOutcome::AlreadyInPlace || eOutcome == EMoveOutcome::DestinationExists) {
        TracePath("※　指定ファイルは既に存在します。\n:%s", paths.m_strDstPath);
    } else if (eOutcome == EMoveOutcome::Moved) {
        if (!IsExistFile(paths.m_strDstFolder, TRUE, FALSE)) {
            CString strFolderPath;
            strFolderPath.Format("%s\\", static_cast<LPCSTR>(paths.m_strDstFolder));
            if (!RecordFolderToMake(pJournal, paths.m_strDstFolder) ||
                !MakeSureDirectoryPathExists(strFolderPath)) {
                TracePath("※　指定フォルダの作成に失敗。\n:%s", strFolderPath);
                eOutcome = EMoveOutcome::FolderNotCreated;
            }
        }
        // MoveFileA never replaces: a destination that appeared meanwhile makes it fail.
        if (eOutcome == EMoveOutcome::Moved && !MoveFileA(paths.m_strSrcPath, paths.m_strDstPath)) {
            TracePath("※　指定パスへの移動に失敗。\n:%s", paths.m_strDstPath);
            eOutcome = EMoveOutcome::MoveFailed;
        }
    }
    if (eOutcome != EMoveOutcome::Moved) {
        SweepDestinationFolder(paths.m_strDstFolder);
    }
    if (peOutcome != nullptr) {
        *peOutcome = eOutcome;
    }
    return eOutcome == EMoveOutcome::Moved ? 1 : 0;
}

CString FormatMoveResult(DWORD dwCount, DWORD dwMoved) {
    CString strMessage;
    strMessage.Format(AnsiFromUtf8("%u 個中 %u 個のファイルを移動しました。\n"), dwCount, dwMoved);
    return strMessage;
}

DWORD RunMovePass(const CFileList& store, LPCSTR pcOperationFolder, LPCSTR pcTargetExt,
                  IMovePassHost& host, CMoveJournal* pJournal) {
    const DWORD dwCount = store.GetCount();
    // The window's bar is the done count over this total: set here, where the count is taken.
    g_dwMoveTotal = dwCount;
    g_dwMoveDone = 0;
    if (dwCount == 0) {
        return 0;
    }
    char acSavedDir[2000];
    const DWORD dwSavedLen = GetCurrentDirectoryA(sizeof acSavedDir, acSavedDir);
    // A directory too long for the buffer is not restored rather than restored wrongly.
    const bool bRestore = dwSavedLen > 0 && dwSavedLen < sizeof acSavedDir;

    DWORD dwStep = dwCount / 1024;
    if (dwStep == 0) {
        dwStep = 1;
    }
    DWORD dwMoved = 0;
    DWORD dwSincePost = 0;
    DWORD dwVisited = 0;
    MovePaths paths; // refilled for each entry, keeping its strings' room
    CJournalAhead ahead(pJournal != nullptr && pJournal->IsOpen() ? pJournal : nullptr, store,
                        pcOperationFolder, pcTargetExt);
    for (DWORD i = 0; i < dwCount; ++i) {
        if (g_bAbort) {
            break;
        }
        const CFileEntry& entry = store.GetAt(i);
        // The journal's look-ahead builds the paths of the entries it records: taken over.
        const bool bReady = ahead.Ready(i);
        if (ahead.TakePaths(i, paths) ||
            BuildMovePaths(&entry, &paths, pcOperationFolder, pcTargetExt)) {
            EMoveOutcome eOutcome = EMoveOutcome::SourceMissing;
            if (bReady) {
                dwMoved += static_cast<DWORD>(MoveOneFile(paths, &eOutcome, ahead.Seen(i), &ahead));
            } else if (ahead.Failed()) {
                TracePath("※　移動の記録を書けません。\n:%s", pJournal->GetPath());
                break;
            } else if (PredictMove(paths) != EMoveOutcome::Moved) {
                // No source was there to record: in place, or in the way, said as usual. One
                // that came after the records were written is not moved unrecorded.
                dwMoved += static_cast<DWORD>(MoveOneFile(paths, &eOutcome));
            }
            host.OnEntryMoved(i, paths, eOutcome);
        } else {
            // A folder whose place below the operation folder cannot be told: nothing is moved.
            TracePath("※　指定パスへの移動に失敗。\n:%s", entry.m_strFolder);
            host.OnEntryMoved(i, paths, EMoveOutcome::MoveFailed);
        }
        g_dwMoveDone = i;
        dwVisited = i + 1;
        if (++dwSincePost == dwStep) {
            host.OnMoveProgress();
            dwSincePost = 0;
        }
    }
    g_dwMoveDone = dwVisited;
    ahead.Stop(); // the journal is ended once nothing more is recorded
    if (pJournal != nullptr && pJournal->IsOpen()) {
        pJournal->End(dwMoved);
    }
    if (bRestore) {
        SetCurrentDirectoryA(acSavedDir);
    }
    if (!g_bAbort) {
        host.ShowMoveResult(FormatMoveResult(dwCount, dwMoved));
    }
    return dwMoved;
}
