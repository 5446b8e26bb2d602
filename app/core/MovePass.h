// The restructuring move that Execute runs on its worker: for every collected entry, the file of
// the same title with the operation extension is moved from the flat operation folder into the
// sub-folder that mirrors the entry's folder below its root. Shared by the window and
// tessaly-batch; what the caller shows goes through IMovePassHost.
#pragma once

#include "engine/FileEntry.h"
#include "engine/FileList.h"
#include "platform/framework/core/CString.h"

struct MovePaths {
    CString m_strRelFolder; // the entry's folder below its root; empty at the root itself
    CString m_strTitle;     // the entry's name without its last extension
    CString m_strNewName;   // title "." operation extension
    CString m_strSrcPath;   // operation folder "\" new name
    CString m_strDstFolder; // operation folder, or operation folder "\" relative folder
    CString m_strDstPath;   // destination folder "\" new name
};

// What became of one entry.
enum class EMoveOutcome {
    Moved,
    SourceMissing,     // no such file in the operation folder: skipped without a trace line
    AlreadyInPlace,    // the destination is the source itself (an entry at the root)
    DestinationExists, // never replaced
    FolderNotCreated,
    MoveFailed,
};

class IMovePassHost {
public:
    virtual ~IMovePassHost() = default;
    // After every `step` entries (count / 1024, at least 1): the window posts WM_MOVE_PROGRESS.
    virtual void OnMoveProgress() = 0;
    // Each entry's outcome, in store order.
    virtual void OnEntryMoved(DWORD dwIndex, const MovePaths& paths, EMoveOutcome eOutcome) = 0;
    // The count message "%u 個中 %u 個のファイルを移動しました。\n" (CP932), unless aborted.
    virtual void ShowMoveResult(const CString& strMessage) = 0;
};

// The name the entry's flat file has, and keeps when it moves: its title and pcTargetExt.
CString BuildMoveName(const CFileEntry& entry, LPCSTR pcTargetExt);

// Fills paths for one entry; 0 for a null entry or record, and for an entry whose root or folder
// does not convert whole or whose relative folder would hold a colon (the cut fell in the wrong
// place): its destination fields are then empty, and nothing may be moved for it.
int BuildMovePaths(const CFileEntry* pEntry, MovePaths* pPaths, LPCSTR pcOperationFolder,
                   LPCSTR pcTargetExt);

// What the caller found of a move's ends a moment before it (the journal's look-ahead).
enum class ESeenBeforeMove {
    Nothing,
    Source,         // a file at the source (the journal's identity of it)
    SourceNoFolder, // that, and the destination's folder missing
};

class CJournalAhead;

// Moves one file; 1 when moved, else 0 (with a trace line for an existing destination, a folder
// that could not be made, and a failed move). *peOutcome, when given, says which. With a source
// seen, the move is tried before any check (a folder seen missing made first), and only a failed
// try is checked (with the outcome the checks give). pJournal: the run's journal, where a folder
// that must be made although the record found it there is recorded first.
int MoveOneFile(const MovePaths& paths, EMoveOutcome* peOutcome = nullptr,
                ESeenBeforeMove eSeen = ESeenBeforeMove::Nothing,
                CJournalAhead* pJournal = nullptr);

// What MoveOneFile would do, touching nothing: Moved means it would move.
EMoveOutcome PredictMove(const MovePaths& paths);

class CMoveJournal;

// The whole pass over the store, with abort (g_bAbort), progress (g_dwMoveTotal, the store's count,
// and g_dwMoveDone) and the current directory restored. An entry BuildMovePaths refuses gets the
// trace line of a failed move with its folder and the outcome MoveFailed. With an open journal,
// every move is recorded there before it is made (a file that cannot be recorded is not moved,
// and a journal that can no longer be written stops the pass), and the run's end after the last.
// Returns the number of files moved.
DWORD RunMovePass(const CFileList& store, LPCSTR pcOperationFolder, LPCSTR pcTargetExt,
                  IMovePassHost& host, CMoveJournal* pJournal = nullptr);

// "%u 個中 %u 個のファイルを移動しました。\n" in CP932.
CString FormatMoveResult(DWORD dwCount, DWORD dwMoved);
