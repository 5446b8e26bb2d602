#include "tools/batch/OutcomeTally.h"

#include <utility>

#include "tools/batch/Terminal.h"

namespace {

// Lines are handed over this many at a time when the writer is behind, and at least this often
// when it keeps up, so that a slow run still shows each line soon after its move.
constexpr std::size_t kHandOverLines = 256;
constexpr auto kHandOverAfter = std::chrono::milliseconds(20);

} // namespace

COutcomeTally::COutcomeTally(const CFileList& store, bool bDryRun)
    : m_store(store), m_bDryRun(bDryRun), m_thread([this] { WriteLines(); }) {}

COutcomeTally::~COutcomeTally() {
    Finish();
}

void COutcomeTally::Report(const MovePaths& paths, const CBatchResult& result) {
    if (result.m_eOutcome == EBatchOutcome::Moved) {
        ++m_dwMoved;
    } else if (result.m_eOutcome == EBatchOutcome::AlreadyInPlace) {
        ++m_dwInPlace;
    } else {
        ++m_dwNotMoved;
    }
    if (m_nFilling == m_vecFilling.size()) {
        m_vecFilling.emplace_back();
    }
    CReported& reported = m_vecFilling[m_nFilling++];
    reported.m_paths = paths; // assigned into strings whose room is kept
    reported.m_result = result;
    if (m_nFilling == 1) {
        m_tHandedOver = std::chrono::steady_clock::now();
    }
    if (m_nFilling >= kHandOverLines ||
        std::chrono::steady_clock::now() - m_tHandedOver >= kHandOverAfter) {
        HandOver();
    }
}

void COutcomeTally::HandOver() {
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [this] { return m_nHanded == 0; });
    std::swap(m_vecFilling, m_vecHanded);
    m_nHanded = m_nFilling;
    m_nFilling = 0;
    m_cv.notify_all();
}

void COutcomeTally::Finish() {
    if (!m_thread.joinable()) {
        return;
    }
    if (m_nFilling > 0) {
        HandOver();
    }
    {
        std::lock_guard lock(m_mutex);
        m_bFinished = true;
    }
    m_cv.notify_all();
    m_thread.join();
}

void COutcomeTally::WriteLines() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_cv.wait(lock, [this] { return m_nHanded > 0 || m_bFinished; });
        if (m_nHanded == 0) {
            return;
        }
        // The reporting thread waits for m_nHanded to drop before it touches m_vecHanded again.
        const std::size_t nLines = m_nHanded;
        lock.unlock();
        for (std::size_t n = 0; n < nLines; ++n) {
            const CReported& reported = m_vecHanded[n];
            const CBatchEntryText text =
                DescribeBatchEntry(reported.m_paths, reported.m_result, m_store, m_bDryRun);
            PrintLine(text.m_strLine);
            if (!text.m_strReason.empty()) {
                PrintError(text.m_strReason);
            }
        }
        lock.lock();
        m_nHanded = 0;
        m_cv.notify_all();
    }
}
