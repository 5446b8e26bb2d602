// Writes the journal of a run that moves files (format in JournalFile.h), ahead of the moves: a
// move's record, and those of the folders it will create, reach the disk before the move is made.
// Records are written in batches that grow as the run goes on, so a small run has its first move
// recorded at once and a large one pays a sync for every thousand files or more.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "app/core/MovePass.h"
#include "engine/FileList.h"
#include "platform/framework/core/CString.h"

// A path's folder as a journal field, kept for the next record in the same folder.
struct CJournalFieldCache {
    std::string m_strAnsi;
    std::string m_strField;
    bool m_bValid = false;
};

class CMoveJournal {
public:
    CMoveJournal() = default;
    ~CMoveJournal();
    CMoveJournal(const CMoveJournal&) = delete;
    CMoveJournal& operator=(const CMoveJournal&) = delete;

    // Creates a new journal in pcFolder (GetJournalFolder's when null), after pruning old ones
    // there, and writes the run's header to the disk. FALSE when it cannot: nothing is then open.
    BOOL Begin(LPCSTR pcProgram, LPCSTR pcOperationFolder, LPCSTR pcExt,
               const std::vector<CString>& vecRoots, LPCSTR pcFolder = nullptr);
    // The move of paths may happen: its record, with the source's identity, goes with the next
    // Commit, after those of the folders on the way to its destination that do not exist yet.
    // FALSE when no file is at the source (nothing to record; it must not be moved then).
    // *pbFolderToMake, when given, says whether this move is the first noted into a destination
    // folder found missing.
    BOOL NoteMove(const MovePaths& paths, bool* pbFolderToMake = nullptr);
    // Writes what was noted and syncs it. FALSE on failure; every later call fails too.
    BOOL Commit();
    // strFolder, which a move must make although its record found it there (someone removed it
    // since), and its missing parents: recorded unless they are already, and committed, so that
    // an undo takes away what the run made. FALSE when that cannot be written.
    BOOL RecordFolderToMake(const CString& strFolder);
    // The run's end with the number of files moved; then closes.
    BOOL End(DWORD dwMoved);

    bool IsOpen() const { return m_hFile != nullptr; }
    const CString& GetPath() const { return m_strPath; }

private:
    // Whether strFolder was looked at first now, and found missing.
    bool NoteFolders(const CString& strOperationFolder, const CString& strFolder);
    // Records strFolder (and its parents first) when the run will make it; true if so.
    // *pbFirst says whether strFolder was looked at first now. bLookAgain: a folder looked at
    // before and found there is looked at again.
    bool NoteFolder(const CString& strOperationFolder, const CString& strFolder,
                    bool* pbFirst = nullptr, bool bLookAgain = false);
    void Close();

    void* m_hFile = nullptr; // HANDLE
    bool m_bFailed = false;
    CString m_strPath;
    CString m_strOperationFolder;
    std::string m_strPending;
    std::unordered_map<std::string, bool> m_mapKnownFolders; // looked at: true if to be made
    CString m_strLastFolder;                                 // the last move's destination folder
    std::string m_strNameField;
    CJournalFieldCache m_srcFolderField;
    CJournalFieldCache m_dstFolderField;
};

// The store's template roots, each once, in the order they first appear.
std::vector<CString> DistinctRoots(const CFileList& store);

// The size of the journal's next batch after one of dwBatch entries that took tBatch from its
// lookups to its last move, tSync of it for its sync. Batches double up to 1024 entries, whose
// lookups stay in the caches until their moves; past that, up to 8192, only while the syncs take
// more than a twentieth of the time (a slow disk).
DWORD NextJournalBatch(DWORD dwBatch, std::chrono::steady_clock::duration tBatch,
                       std::chrono::steady_clock::duration tSync);

// A pass over the store with its journal written ahead: before entry i is handled, Ready(i)
// makes sure the records of a batch from i on are on the disk. While the pass handles one batch,
// a thread of its own records the next, so that the lookups and the sync of the records overlap
// the moves. A null journal records nothing.
class CJournalAhead {
public:
    // fnWillTry(i) says whether entry i will be moved if it can (its paths built); it is
    // called from the look-ahead's thread.
    CJournalAhead(CMoveJournal* pJournal, const CFileList& store, LPCSTR pcOperationFolder,
                  LPCSTR pcExt, std::function<bool(DWORD)> fnWillTry = nullptr);
    // Waits for the look-ahead's thread: the journal is the caller's again.
    ~CJournalAhead();
    CJournalAhead(const CJournalAhead&) = delete;
    CJournalAhead& operator=(const CJournalAhead&) = delete;

    // Whether entry i may be moved: its record is on the disk (always true without a journal).
    bool Ready(DWORD i);
    // The journal could not be written: nothing more may move.
    bool Failed() const { return m_bFailed; }
    // After Ready(i): what the record of entry i found just now (its source's identity, its
    // destination folder missing), so that the move need not check again (see MoveOneFile).
    ESeenBeforeMove Seen(DWORD i) const;
    // After Ready(i): the paths the look-ahead built for entry i, moved into paths (whose old
    // strings it keeps for reuse); false when it built none, and the caller builds them.
    bool TakePaths(DWORD i, MovePaths& paths);
    // Stops the look-ahead (what it has noted is still committed) and waits for its thread.
    void Stop();
    // A destination folder a move must make that its record did not name: recorded and on the
    // disk first (CMoveJournal::RecordFolderToMake). False when the journal cannot be written:
    // nothing more may move then. Always true without a journal.
    bool RecordFolderToMake(const CString& strFolder);

private:
    enum : unsigned char { kNotRecorded, kRecorded, kRecordedSeen, kRecordedSeenNoFolder };
    // One batch's records: entries [m_dwStart, m_dwEnd).
    struct CBatch {
        DWORD m_dwStart = 0;
        DWORD m_dwEnd = 0;
        std::vector<unsigned char> m_vecRecorded;
        std::vector<MovePaths> m_vecPaths; // refilled for each batch, keeping its strings' room
        std::vector<unsigned char> m_vecBuilt;
        bool m_bFailed = false;
        std::chrono::steady_clock::duration m_tSync{};
    };
    // Notes and commits the records of dwSize entries from dwStart into batch.
    void Record(CBatch& batch, DWORD dwStart, DWORD dwSize);
    // Starts the next batch's records on the look-ahead's thread.
    void RecordNextAhead();
    void Wait();

    CMoveJournal* m_pJournal;
    const CFileList& m_store;
    CString m_strOperationFolder;
    CString m_strExt;
    std::function<bool(DWORD)> m_fnWillTry;
    DWORD m_dwBatch = 8; // doubled before the first batch
    std::chrono::steady_clock::time_point m_tBatchStart;
    CBatch m_current;
    CBatch m_next; // the look-ahead thread's while it runs
    bool m_bNextStarted = false;
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    bool m_bFailed = false;
};
