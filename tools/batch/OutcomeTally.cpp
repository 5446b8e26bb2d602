#include "tools/batch/OutcomeTally.h"

#include <chrono>
#include <utility>

#include "tools/batch/Terminal.h"

namespace {

// The writer takes the lines reported at least this often, and at once when kWriteAt wait; the
// moves wait for it past kMaxWaiting, so that output into a blocked pipe holds them up, much as
// when they wrote their own lines.
constexpr auto kWriteEvery = std::chrono::milliseconds(20);
constexpr std::size_t kWriteAt = 128;
constexpr std::size_t kMaxWaiting = 512;

} // namespace

COutcomeTally::COutcomeTally(const CFileList& store, bool bDryRun)
    : m_store(store), m_bDryRun(bDryRun), m_thread([this] { WriteLines(); }) {}

COutcomeTally::~COutcomeTally() {
    Finish();
}

void COutcomeTally::Report(const MovePaths& paths, const CBatchResult& result) {
    Queue(result, [&](MovePaths& slot) { slot = paths; }); // into strings whose room is kept
}

void COutcomeTally::Report(MovePaths&& paths, const CBatchResult& result) {
    Queue(result, [&](MovePaths& slot) { std::swap(slot, paths); });
}

template <typename Fill> void COutcomeTally::Queue(const CBatchResult& result, Fill&& fill) {
    if (result.m_eOutcome == EBatchOutcome::Moved) {
        ++m_dwMoved;
    } else if (result.m_eOutcome == EBatchOutcome::AlreadyInPlace) {
        ++m_dwInPlace;
    } else {
        ++m_dwNotMoved;
    }
    std::unique_lock lock(m_mutex);
    m_cvRoom.wait(lock, [this] { return m_nWaiting < kMaxWaiting; });
    if (m_nWaiting == m_vecWaiting.size()) {
        m_vecWaiting.emplace_back();
    }
    CReported& reported = m_vecWaiting[m_nWaiting++];
    fill(reported.m_paths);
    reported.m_result = result;
    const bool bWake = m_nWaiting == kWriteAt;
    lock.unlock();
    if (bWake) {
        m_cvLines.notify_one();
    }
}

void COutcomeTally::Finish() {
    if (!m_thread.joinable()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_bFinished = true;
    }
    m_cvLines.notify_one();
    m_thread.join();
}

void COutcomeTally::WriteLines() {
    std::vector<CReported> vecWriting; // swapped with the waiting lines, room and all
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_cvLines.wait_for(lock, kWriteEvery,
                           [this] { return m_nWaiting >= kWriteAt || m_bFinished; });
        if (m_nWaiting == 0) {
            if (m_bFinished) {
                return;
            }
            continue;
        }
        std::swap(m_vecWaiting, vecWriting);
        const std::size_t nLines = m_nWaiting;
        m_nWaiting = 0;
        lock.unlock();
        m_cvRoom.notify_one();
        for (std::size_t n = 0; n < nLines; ++n) {
            const CReported& reported = vecWriting[n];
            const CBatchEntryText text =
                DescribeBatchEntry(reported.m_paths, reported.m_result, m_store, m_bDryRun);
            PrintLine(text.m_strLine);
            if (!text.m_strReason.empty()) {
                PrintError(text.m_strReason);
            }
        }
        lock.lock();
    }
}
