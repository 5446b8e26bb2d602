// Critical sections (recursive, as Windows'), sleeping and thread identities.
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/win32/Win32Threads.h"

struct RTL_CRITICAL_SECTION_IMPL {
    std::recursive_mutex mutex;
};

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    lpCriticalSection->pImpl = new RTL_CRITICAL_SECTION_IMPL;
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    delete lpCriticalSection->pImpl;
    lpCriticalSection->pImpl = nullptr;
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    lpCriticalSection->pImpl->mutex.lock();
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    return lpCriticalSection->pImpl->mutex.try_lock() ? TRUE : FALSE;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    lpCriticalSection->pImpl->mutex.unlock();
}

void WINAPI Sleep(DWORD dwMilliseconds) {
    if (dwMilliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

DWORD WINAPI GetCurrentThreadId() {
    static std::atomic<DWORD> s_dwNextId{1};
    thread_local const DWORD t_dwId = s_dwNextId.fetch_add(1);
    return t_dwId;
}

DWORD WINAPI GetTickCount() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<DWORD>(ms.count());
}
