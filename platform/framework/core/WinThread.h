// The framework's worker threads: AfxBeginThread starts a detached thread that runs the function
// and, with m_bAutoDelete (the default), deletes its CWinThread when the function returns. Like
// the framework's, the returned pointer may already dangle unless the thread was created
// CREATE_SUSPENDED and m_bAutoDelete cleared before ResumeThread.
#pragma once

#include <condition_variable>
#include <mutex>

#include "platform/win32/Win32Threads.h"

typedef UINT (*AFX_THREADPROC)(LPVOID pParam);

#ifndef THREAD_PRIORITY_NORMAL
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_IDLE (-15)
#define THREAD_PRIORITY_TIME_CRITICAL 15
#endif

class CWinThread {
public:
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    virtual ~CWinThread() = default;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // Starts the thread; with CREATE_SUSPENDED it waits for ResumeThread before running the
    // function. FALSE when no thread could be started. m_nThreadID is set on return.
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0,
                      LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
    // Lets a suspended thread run. Returns the previous suspend count (1, or 0 if it was running).
    DWORD ResumeThread();
    // Priorities are recorded, not applied: the scheduler treats every worker alike.
    BOOL SetThreadPriority(int nPriority);
    int GetThreadPriority() const { return m_nPriority; }

    BOOL m_bAutoDelete = TRUE;
    DWORD m_nThreadID = 0;

private:
    void Run();

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
    int m_nPriority = THREAD_PRIORITY_NORMAL;
    std::mutex m_mutex;
    std::condition_variable m_cvState;
    bool m_bStarted = false;
    bool m_bCreatorDone = false;
    bool m_bSuspended = false;
};

// Null when the thread cannot be started (the object is deleted then).
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                           int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
