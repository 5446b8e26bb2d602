// Takes a run back from its journal: each file moved back from its destination to its source,
// newest move first, only while the file there is still the one moved and never over another
// file; then the folders the run made, deepest first, where they are empty. Shared by
// tessaly-batch --undo and the window's Undo.
#pragma once

#include "app/core/JournalFile.h"

enum class EUndoOutcome {
    Restored,
    Changed,    // the file at the destination is not the one moved
    Missing,    // nothing at the destination
    PlaceTaken, // another file has the source's name
    Failed,     // the move back failed (m_dwError)
};

class IUndoHost {
public:
    virtual ~IUndoHost() = default;
    // Every move the undo looks at and finds to be done (a move never made, or already taken
    // back by an undo that was stopped, is passed over in silence).
    virtual void OnUndoEntry(const CJournalMove& move, EUndoOutcome eOutcome, DWORD dwError) = 0;
    // Polled between files: true stops the undo after the current one.
    virtual bool IsUndoStopped() = 0;
    // After each move looked at, newest first: how many of the journal's moves are done.
    virtual void OnUndoProgress(DWORD /*dwDone*/, DWORD /*dwTotal*/) {}
};

struct CUndoResult {
    DWORD m_dwRestored = 0;
    DWORD m_dwKept = 0;
    DWORD m_dwFoldersRemoved = 0;
    bool m_bStopped = false;
    bool m_bNothingToUndo = false; // the journal was undone before: nothing was touched
};

// Undoes the journal at pcPath (read into content first); bDryRun reports the same outcomes and
// touches nothing. When the undo went through every move it marks the journal undone.
BOOL UndoJournal(LPCSTR pcPath, bool bDryRun, IUndoHost& host, CUndoResult& result);

// The newest journal in pcFolder that is not undone, optionally only of pcProgram's runs; empty
// when there is none.
CString FindJournalToUndo(LPCSTR pcFolder, LPCSTR pcProgram = nullptr);
