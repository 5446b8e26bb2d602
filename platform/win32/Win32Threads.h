// Threads, timing and critical sections (recursive, as Windows').
#pragma once

#include "platform/win32/Win32Types.h"

struct RTL_CRITICAL_SECTION_IMPL;
struct CRITICAL_SECTION {
    RTL_CRITICAL_SECTION_IMPL* pImpl;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);

// The creation flag of CreateThread and the framework's thread start.
#define CREATE_SUSPENDED 0x00000004

void WINAPI Sleep(DWORD dwMilliseconds);
// A small, stable number per thread, never 0.
DWORD WINAPI GetCurrentThreadId();
DWORD WINAPI GetTickCount();
