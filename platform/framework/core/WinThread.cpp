// Threads are std::thread, detached; a start handshake lets the creator read m_nThreadID.
#include "platform/framework/core/WinThread.h"

#include <system_error>
#include <thread>

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam) {}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT /*nStackSize*/,
                              LPSECURITY_ATTRIBUTES /*lpSecurityAttrs*/) {
    if (m_pfnThreadProc == nullptr) {
        return FALSE;
    }
    m_bSuspended = (dwCreateFlags & CREATE_SUSPENDED) != 0;
    try {
        std::thread(&CWinThread::Run, this).detach();
    } catch (const std::system_error&) {
        return FALSE;
    }
    // The thread may not run (and delete itself) before this call is done with the object.
    std::unique_lock lock(m_mutex);
    m_cvState.wait(lock, [this] { return m_bStarted; });
    m_bCreatorDone = true;
    m_cvState.notify_all();
    return TRUE;
}

void CWinThread::Run() {
    {
        std::unique_lock lock(m_mutex);
        m_nThreadID = GetCurrentThreadId();
        m_bStarted = true;
        m_cvState.notify_all();
        m_cvState.wait(lock, [this] { return m_bCreatorDone && !m_bSuspended; });
    }
    m_pfnThreadProc(m_pThreadParams);
    if (m_bAutoDelete) {
        delete this;
    }
}

DWORD CWinThread::ResumeThread() {
    std::lock_guard lock(m_mutex);
    const DWORD dwPrevious = m_bSuspended ? 1 : 0;
    m_bSuspended = false;
    m_cvState.notify_all();
    return dwPrevious;
}

BOOL CWinThread::SetThreadPriority(int nPriority) {
    m_nPriority = nPriority;
    return TRUE;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority,
                           UINT nStackSize, DWORD dwCreateFlags,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    auto* pThread = new CWinThread(pfnThreadProc, pParam);
    pThread->SetThreadPriority(nPriority);
    // Start suspended so the priority is in place and the object cannot vanish before the
    // handshake; then run unless the caller asked for a suspended thread.
    if (!pThread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
        delete pThread;
        return nullptr;
    }
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0) {
        pThread->ResumeThread();
    }
    return pThread;
}
