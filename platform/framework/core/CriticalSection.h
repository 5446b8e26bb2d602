// The framework's critical section: a recursive lock over the Win32 layer's CRITICAL_SECTION.
#pragma once

#include "platform/win32/Win32Threads.h"

class CCriticalSection {
public:
    CCriticalSection();
    ~CCriticalSection();
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    // Both return TRUE; the same thread may lock again and must unlock as often.
    BOOL Lock();
    BOOL Unlock();
    operator CRITICAL_SECTION*() { return &m_sect; }

private:
    CRITICAL_SECTION m_sect;
};

// Locks for its lifetime (the framework's CSingleLock with bInitialLock TRUE).
class CSingleLock {
public:
    explicit CSingleLock(CCriticalSection* pSection, BOOL bInitialLock = FALSE);
    ~CSingleLock();
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    BOOL Lock();
    BOOL Unlock();
    BOOL IsLocked() const { return m_bLocked; }

private:
    CCriticalSection* m_pSection;
    BOOL m_bLocked = FALSE;
};
