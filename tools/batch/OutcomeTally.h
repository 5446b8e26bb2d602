// The outcome of every entry, counted and said the same way by the dry run and the run. The lines
// are described and written by a thread of their own, in the order reported and within a few
// hundredths of a second, so that the moves do not wait for their texts.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

#include "app/core/MovePass.h"
#include "app/core/MovePlan.h"
#include "engine/FileList.h"

class COutcomeTally {
public:
    COutcomeTally(const CFileList& store, bool bDryRun);
    ~COutcomeTally();
    COutcomeTally(const COutcomeTally&) = delete;
    COutcomeTally& operator=(const COutcomeTally&) = delete;

    void Report(const MovePaths& paths, const CBatchResult& result);
    // The same, taking paths' strings: paths is left holding others, for the next entry to refill.
    void Report(MovePaths&& paths, const CBatchResult& result);
    // Writes every line reported so far and waits for them: nothing else may be said before.
    void Finish();

    DWORD Moved() const { return m_dwMoved; }
    DWORD InPlace() const { return m_dwInPlace; }
    DWORD NotMoved() const { return m_dwNotMoved; }
    DWORD Visited() const { return m_dwMoved + m_dwInPlace + m_dwNotMoved; }

private:
    struct CReported {
        MovePaths m_paths;
        CBatchResult m_result;
    };
    // Counts result and queues it with paths, which fill(slot) puts into the queue's slot.
    template <typename Fill> void Queue(const CBatchResult& result, Fill&& fill);
    void WriteLines();

    const CFileList& m_store;
    bool m_bDryRun;
    DWORD m_dwMoved = 0;
    DWORD m_dwInPlace = 0;
    DWORD m_dwNotMoved = 0;

    std::mutex m_mutex;                  // guards what follows
    std::condition_variable m_cvLines;   // lines to write, or the end
    std::condition_variable m_cvRoom;    // the waiting lines taken
    std::vector<CReported> m_vecWaiting; // room kept from one taking to the next
    std::size_t m_nWaiting = 0;
    bool m_bFinished = false;
    std::thread m_thread;
};
