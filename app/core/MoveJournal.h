// Writes the journal of a run that moves files (format in JournalFile.h), ahead of the moves: a
// move's record, and those of the folders it will create, reach the disk before the move is made.
// Records are written in batches that grow as the run goes on, so a large run pays a few dozen
// syncs, and a small one has its first move recorded at once.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
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
    BOOL NoteMove(const MovePaths& paths);
    // Writes what was noted and syncs it. FALSE on failure; every later call fails too.
    BOOL Commit();
    // The run's end with the number of files moved; then closes.
    BOOL End(DWORD dwMoved);

    bool IsOpen() const { return m_hFile != nullptr; }
    const CString& GetPath() const { return m_strPath; }

private:
    void NoteFolders(const CString& strOperationFolder, const CString& strFolder);
    // Records strFolder (and its parents first) when the run will make it; true if so.
    bool NoteFolder(const CString& strOperationFolder, const CString& strFolder);
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

// A pass over the store with its journal written ahead: before entry i is handled, Ready(i)
// makes sure the records of a batch from i on are on the disk. A null journal records nothing.
// The next batch is built, looked up and recorded on a thread of its own while the moves of the
// one before are made, so the journal's lookups cost the moves no time. The journal is the
// look-ahead's until Stop.
class CJournalAhead {
public:
    // fnWillTry(i, paths) says whether entry i (its paths built) will be moved if it can; it is
    // called on the look-ahead's thread.
    CJournalAhead(CMoveJournal* pJournal, const CFileList& store, LPCSTR pcOperationFolder,
                  LPCSTR pcExt, std::function<bool(DWORD)> fnWillTry = nullptr);
    ~CJournalAhead();
    CJournalAhead(const CJournalAhead&) = delete;
    CJournalAhead& operator=(const CJournalAhead&) = delete;
    // Whether entry i may be moved: its record is on the disk (always true without a journal).
    // Entries are asked for in rising order.
    bool Ready(DWORD i);
    // The journal could not be written: nothing more may move.
    bool Failed() const { return m_bFailed; }
    // After Ready(i): the record of entry i holds its source's identity, found just now, so the
    // move need not check the source again (see MoveOneFile).
    bool SourceSeen(DWORD i) const;
    // After Ready(i): the paths the look-ahead built for entry i, moved into paths (whose old
    // strings it keeps for reuse); false when it built none, and the caller builds them.
    bool TakePaths(DWORD i, MovePaths& paths);
    // Ends the look-ahead after the batch it is on, so the journal can be ended.
    void Stop();

private:
    enum : unsigned char { kNotRecorded, kRecorded, kRecordedSeen };
    struct CBatch {
        DWORD m_dwStart = 0;
        DWORD m_dwEnd = 0;
        bool m_bReady = false;  // recorded and handed over; false: free for the look-ahead
        bool m_bFailed = false; // its records could not be written
        std::vector<unsigned char> m_vecRecorded;
        std::vector<MovePaths> m_vecPaths; // refilled for each batch, keeping its strings' room
        std::vector<unsigned char> m_vecBuilt;
    };
    void Record(CBatch& batch, DWORD dwStart, DWORD dwEnd);
    void LookAhead(DWORD dwFirst);
    // The moves' batch when it holds entry i; -1 otherwise.
    int BatchOf(DWORD i) const;

    CMoveJournal* m_pJournal;
    const CFileList& m_store;
    CString m_strOperationFolder;
    CString m_strExt;
    std::function<bool(DWORD)> m_fnWillTry;
    bool m_bFailed = false;
    // Two batches: the moves' and the next, which the look-ahead records meanwhile.
    CBatch m_aBatches[2];
    int m_iCurrent = -1; // the moves' batch, -1 before the first
    std::mutex m_mutex;
    std::condition_variable m_cvChanged;
    bool m_bStop = false;
    bool m_bDone = false; // the look-ahead has recorded its last batch or stopped
    std::thread m_thread;
};
