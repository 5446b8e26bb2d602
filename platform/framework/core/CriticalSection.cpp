#include "platform/framework/core/CriticalSection.h"

CCriticalSection::CCriticalSection() {
    InitializeCriticalSection(&m_sect);
}

CCriticalSection::~CCriticalSection() {
    DeleteCriticalSection(&m_sect);
}

BOOL CCriticalSection::Lock() {
    EnterCriticalSection(&m_sect);
    return TRUE;
}

BOOL CCriticalSection::Unlock() {
    LeaveCriticalSection(&m_sect);
    return TRUE;
}

CSingleLock::CSingleLock(CCriticalSection* pSection, BOOL bInitialLock) : m_pSection(pSection) {
    if (bInitialLock) {
        Lock();
    }
}

CSingleLock::~CSingleLock() {
    Unlock();
}

BOOL CSingleLock::Lock() {
    if (m_pSection == nullptr) {
        return FALSE;
    }
    if (!m_bLocked) {
        m_pSection->Lock();
        m_bLocked = TRUE;
    }
    return TRUE;
}

BOOL CSingleLock::Unlock() {
    if (m_pSection != nullptr && m_bLocked) {
        m_pSection->Unlock();
        m_bLocked = FALSE;
    }
    return TRUE;
}
