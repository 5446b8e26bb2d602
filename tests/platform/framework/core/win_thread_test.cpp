#include "platform/framework/core/WinThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace {

struct Signal {
    std::promise<DWORD> promise;
    std::atomic<bool> bRan{false};
};

UINT RecordThreadId(LPVOID pParam) {
    auto* pSignal = static_cast<Signal*>(pParam);
    pSignal->bRan = true;
    pSignal->promise.set_value(GetCurrentThreadId());
    return 0;
}

// Tells when the object is gone, which an auto-deleting thread does by itself.
class ObservedThread : public CWinThread {
public:
    ObservedThread(AFX_THREADPROC pfn, LPVOID pParam, std::promise<void>* pDeleted)
        : CWinThread(pfn, pParam), m_pDeleted(pDeleted) {}
    ~ObservedThread() override { m_pDeleted->set_value(); }

private:
    std::promise<void>* m_pDeleted;
};

TEST(WinThread, RunsTheFunctionOnItsOwnThread) {
    Signal signal;
    std::future<DWORD> future = signal.promise.get_future();
    CWinThread* pThread = AfxBeginThread(RecordThreadId, &signal);
    ASSERT_NE(nullptr, pThread);
    ASSERT_EQ(std::future_status::ready, future.wait_for(std::chrono::seconds(10)));
    EXPECT_NE(GetCurrentThreadId(), future.get());
}

TEST(WinThread, DeletesItselfWhenTheFunctionReturns) {
    Signal signal;
    std::promise<void> deleted;
    std::future<void> futureDeleted = deleted.get_future();
    auto* pThread = new ObservedThread(RecordThreadId, &signal, &deleted);
    ASSERT_TRUE(pThread->CreateThread());
    EXPECT_EQ(std::future_status::ready, futureDeleted.wait_for(std::chrono::seconds(10)));
    EXPECT_TRUE(signal.bRan);
}

TEST(WinThread, SuspendedThreadWaitsForResume) {
    Signal signal;
    std::future<DWORD> future = signal.promise.get_future();
    CWinThread* pThread =
        AfxBeginThread(RecordThreadId, &signal, THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, pThread);
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, pThread->GetThreadPriority());
    const DWORD dwId = pThread->m_nThreadID;
    EXPECT_NE(0u, dwId);
    EXPECT_EQ(std::future_status::timeout, future.wait_for(std::chrono::milliseconds(50)));
    EXPECT_FALSE(signal.bRan);
    EXPECT_EQ(1u, pThread->ResumeThread()); // the object may be gone after this
    ASSERT_EQ(std::future_status::ready, future.wait_for(std::chrono::seconds(10)));
    EXPECT_EQ(dwId, future.get());
}

} // namespace
