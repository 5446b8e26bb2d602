#include "app/core/JournalUndo.h"

#include <algorithm>
#include <optional>

#include "platform/win32/Win32.h"
#include "support/PathHelpers.h"

namespace {

// What an undo finds for one move; Restored means it can be taken back now. nullopt: nothing to
// do (the file is at its source already).
std::optional<EUndoOutcome> Examine(const CJournalMove& move) {
    CFileIdentity atSource;
    const BOOL bSourceTaken = IdentifyFile(move.m_strSrc, atSource);
    if (bSourceTaken && IsSameFile(move.m_identity, atSource)) {
        return std::nullopt;
    }
    CFileIdentity atDestination;
    if (!IdentifyFile(move.m_strDst, atDestination)) {
        return EUndoOutcome::Missing;
    }
    if (!IsSameFile(move.m_identity, atDestination)) {
        return EUndoOutcome::Changed;
    }
    // Any name at the source's place, a folder too, keeps the file where it is.
    if (bSourceTaken || GetFileAttributesA(move.m_strSrc) != INVALID_FILE_ATTRIBUTES) {
        return EUndoOutcome::PlaceTaken;
    }
    return EUndoOutcome::Restored;
}

BOOL MarkUndone(LPCSTR pcPath) {
    const HANDLE hFile = CreateFileA(pcPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    // A run killed while writing may have left its last line cut short: "undone" starts a line
    // of its own, where the journal's summary looks for it.
    std::string strLine = "undone\t" + JournalTimeNow() + "\n";
    char cLast = '\n';
    DWORD dwRead = 0;
    LONG lHigh = -1;
    if (SetFilePointer(hFile, -1, &lHigh, FILE_END) != INVALID_SET_FILE_POINTER &&
        ReadFile(hFile, &cLast, 1, &dwRead, nullptr) && dwRead == 1 && cLast != '\n') {
        strLine.insert(0, 1, '\n');
    }
    DWORD dwWritten = 0;
    lHigh = 0;
    const BOOL bOk =
        (SetFilePointer(hFile, 0, &lHigh, FILE_END) != INVALID_SET_FILE_POINTER ||
         GetLastError() == ERROR_SUCCESS) &&
        WriteFile(hFile, strLine.data(), static_cast<DWORD>(strLine.size()), &dwWritten, nullptr) &&
        FlushFileBuffers(hFile);
    CloseHandle(hFile);
    return bOk;
}

} // namespace

BOOL UndoJournal(LPCSTR pcPath, bool bDryRun, IUndoHost& host, CUndoResult& result) {
    result = CUndoResult();
    CJournalContent content;
    if (!ReadJournal(pcPath, content)) {
        return FALSE;
    }
    if (content.m_bUndone) {
        result.m_bNothingToUndo = true;
        return TRUE;
    }
    const DWORD dwTotal = static_cast<DWORD>(content.m_vecMoves.size());
    DWORD dwDone = 0;
    for (auto it = content.m_vecMoves.rbegin(); it != content.m_vecMoves.rend(); ++it) {
        if (host.IsUndoStopped()) {
            result.m_bStopped = true;
            break;
        }
        host.OnUndoProgress(dwDone++, dwTotal);
        const std::optional<EUndoOutcome> eFound = Examine(*it);
        if (!eFound) {
            continue;
        }
        EUndoOutcome eOutcome = *eFound;
        DWORD dwError = 0;
        // The same move as the run's: it never replaces a file that appears meanwhile.
        if (eOutcome == EUndoOutcome::Restored && !bDryRun &&
            !MoveFileA(it->m_strDst, it->m_strSrc)) {
            dwError = GetLastError();
            eOutcome = dwError == ERROR_ALREADY_EXISTS || dwError == ERROR_FILE_EXISTS
                           ? EUndoOutcome::PlaceTaken
                           : EUndoOutcome::Failed;
        }
        if (eOutcome == EUndoOutcome::Restored) {
            ++result.m_dwRestored;
        } else {
            ++result.m_dwKept;
        }
        host.OnUndoEntry(*it, eOutcome, dwError);
    }
    if (result.m_bStopped) {
        return TRUE;
    }
    if (!bDryRun) {
        // Deepest first; a folder that holds anything stays.
        std::vector<CString> vecFolders = content.m_vecFolders;
        std::stable_sort(
            vecFolders.begin(), vecFolders.end(),
            [](const CString& a, const CString& b) { return a.GetLength() > b.GetLength(); });
        for (const CString& strFolder : vecFolders) {
            // A killed run's half copy is no reason for its folder to stay.
            tessaly::win32::RemoveStaleMoveTemporaries(strFolder);
            if (RemoveDirectoryA(strFolder)) {
                ++result.m_dwFoldersRemoved;
            }
        }
        MarkUndone(pcPath);
    }
    return TRUE;
}

CString FindJournalToUndo(LPCSTR pcFolder, LPCSTR pcProgram) {
    const std::vector<CJournalEntry> vecJournals = ListJournals(pcFolder);
    for (auto it = vecJournals.rbegin(); it != vecJournals.rend(); ++it) {
        CJournalSummary summary;
        if (ReadJournalSummary(it->m_strPath, summary) && !summary.m_bUndone &&
            (pcProgram == nullptr || summary.m_strProgram == pcProgram)) {
            return it->m_strPath;
        }
    }
    return CString();
}
