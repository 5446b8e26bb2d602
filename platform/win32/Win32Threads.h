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

void WINAPI Sleep(DWORD dwMilliseconds);
// A small, stable number per thread, never 0.
DWORD WINAPI GetCurrentThreadId();
DWORD WINAPI GetTickCount();

typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID lpThreadParameter);
#define CREATE_SUSPENDED 0x00000004
// A detached thread unless the handle is kept; CloseHandle releases the handle.
// WaitForSingleObject on the handle waits for the thread's end.
HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, std::size_t dwStackSize,
                           LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                           DWORD dwCreationFlags, LPDWORD lpThreadId);
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
