// tessaly-batch's and the window's view of one entry's move: the outcome the run gives it,
// predicted for the dry run (and the window's plan) from the same checks the move makes, and which
// entries claim a flat file that an earlier entry already claims (names equal only to the file
// system's case rules, or titles cut apart by the duplicate check and the move). Both the dry run
// and the run settle the claims before any file moves, so both report the same claimant.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/core/MovePass.h"
#include "engine/FileList.h"
#include "platform/framework/core/CString.h"

enum class EBatchOutcome {
    Moved,
    AlreadyInPlace, // the destination is the source, or it exists and the source is gone
    SourceMissing,
    DestinationExists,
    FolderNotCreated,
    MoveFailed,
    Claimed, // another entry, earlier in the collection, takes the same flat file
};

struct CBatchResult {
    EBatchOutcome m_eOutcome = EBatchOutcome::SourceMissing;
    DWORD m_dwError = 0;     // FolderNotCreated, MoveFailed: the system's code, 0 if predicted
    std::string m_strWhy;    // predicted failures: what stands in the way (UTF-8)
    DWORD m_dwClaimedBy = 0; // Claimed: the entry that claims the file
};

// For every entry of the store, in store order: the index of the earlier entry whose source is
// the same file under a name the file system takes for its own, or the entry's own index. (Hard
// links under unrelated names are separate names: each moves on its own.)
std::vector<DWORD> FindClaims(const CFileList& store, LPCSTR pcOperationFolder, LPCSTR pcTargetExt);

// What MoveOneFile will do with these paths, touching nothing.
CBatchResult PredictBatchMove(const MovePaths& paths);

// PredictBatchMove for one entry after another, each destination folder looked up once: nothing
// moves while they are predicted, so a folder stays what it was, and a destination in a folder
// that is not there needs no lookup of its own.
class CBatchPredictor {
public:
    CBatchResult Predict(const MovePaths& paths);

private:
    enum class EFolder {
        Present,  // a folder (or a link to one): its destination is looked up
        ToBeMade, // missing, below a folder: made by the move
        Blocked,  // a file or a broken link at it or above it
    };
    struct CFolderState {
        EFolder m_eState = EFolder::Present;
        CString m_strBlocker; // Blocked: what stands where a folder must be
    };
    const CFolderState& FolderState(const CString& strFolder);

    std::unordered_map<std::string, CFolderState> m_mapFolders; // by the path as built
};

// The dry run's record of where its predicted moves end, for the entries whose destinations the
// file system could take for one another's (names equal only ignoring case, in folders the run
// merges the same way): the run finds the later of two such destinations taken.
class CPredictedDestinations {
public:
    // Only destinations that could meet are kept, so a large store costs its hashes for a moment.
    CPredictedDestinations(const CFileList& store, LPCSTR pcOperationFolder, LPCSTR pcTargetExt);
    // False when an earlier predicted move of entry i's group ends at strDstPath; otherwise it is
    // noted as taken.
    bool Take(DWORD i, const CString& strDstPath);

private:
    std::vector<bool> m_vecMayMeet;                             // by entry
    std::unordered_multimap<std::uint64_t, CString> m_mapTaken; // hash -> destination
};

// The entries as the batch pass takes them, in store order: each one's paths, and the outcome of
// those settled before any file is looked at.
class CBatchPass {
public:
    CBatchPass(const CFileList& store, LPCSTR pcOperationFolder, LPCSTR pcTargetExt);
    // Fills paths for entry i (bPathsBuilt: they are filled already). True, with result, when the
    // entry is settled without the file system: its place below the operation folder cannot be
    // told (MoveFailed), or an earlier entry claims its file (Claimed).
    bool Settle(DWORD i, MovePaths& paths, CBatchResult& result, bool bPathsBuilt = false) const;
    // Whether an earlier entry claims entry i's file.
    bool IsClaimed(DWORD i) const { return m_vecClaimedBy[i] != i; }

private:
    const CFileList& m_store;
    CString m_strOperationFolder;
    CString m_strTargetExt;
    std::vector<DWORD> m_vecClaimedBy;
};

// The dry run: every entry's predicted outcome, in store order, until g_bAbort is raised. A
// predicted move counts for the later ones (the destinations it takes).
void PredictBatchPass(const CFileList& store, LPCSTR pcOperationFolder, LPCSTR pcTargetExt,
                      const std::function<void(DWORD dwIndex, const MovePaths& paths,
                                               const CBatchResult& result)>& onEntry);

// Moves one file through MoveOneFile (eSeen and pJournal as there), with the system's reason for
// a failure.
CBatchResult RunBatchMove(const MovePaths& paths, ESeenBeforeMove eSeen = ESeenBeforeMove::Nothing,
                          CJournalAhead* pJournal = nullptr);

// What is said of one entry's outcome (UTF-8, no line ends): the line "moved SRC -> DST" or
// "skipped SRC: OUTCOME" ("would move", "would skip" in a dry run), and for a folder not created
// or a failed move the reason ("could not create the folder DIR: WHY", "could not move SRC to
// DST: WHY", "would not ..." in a dry run); the reason is empty otherwise.
struct CBatchEntryText {
    std::string m_strLine;
    std::string m_strReason;
};
CBatchEntryText DescribeBatchEntry(const MovePaths& paths, const CBatchResult& result,
                                   const CFileList& store, bool bDryRun);

// "moved", "source missing", ..., "claimed by PATH" (UTF-8).
std::string DescribeOutcome(const CBatchResult& result, const CFileList& store);

// The system's reason for a Win32 error code, in a few words (UTF-8).
std::string SystemReason(DWORD dwError);
