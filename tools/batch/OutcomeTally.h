// The outcome of every entry, counted and said the same way by the dry run and the run. The lines
// are described and written by a thread of their own, in the order reported, so that the moves
// do not wait for their texts.
#pragma once

#include <chrono>
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
    // Gives the lines reported to the writing thread, once it is done with the last ones.
    void HandOver();
    void WriteLines();

    const CFileList& m_store;
    bool m_bDryRun;
    DWORD m_dwMoved = 0;
    DWORD m_dwInPlace = 0;
    DWORD m_dwNotMoved = 0;
    std::vector<CReported> m_vecFilling; // room kept from one hand-over to the next
    std::size_t m_nFilling = 0;
    std::chrono::steady_clock::time_point m_tHandedOver;

    std::mutex m_mutex; // guards what follows
    std::condition_variable m_cv;
    std::vector<CReported> m_vecHanded;
    std::size_t m_nHanded = 0; // lines handed over and not yet written
    bool m_bFinished = false;
    std::thread m_thread;
};
