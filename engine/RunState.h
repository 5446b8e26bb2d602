// What the window thread and its one worker share: process-wide flags and values, the two private
// window messages and the context handed to the thread procedures. There is no lock between them:
// each value has one writer at a time and the other side polls it, so the values are atomic.
#pragma once

#include <atomic>

#include "platform/framework/core/CString.h"
#include "platform/win32/Win32Types.h"

#ifndef WM_USER
#define WM_USER 0x0400
#endif
// A worker has finished (wParam: the dialog's window; lParam: 0).
#define WM_WORK_DONE (WM_USER + 500)
// The move pass has advanced (g_dwMoveDone of g_dwMoveTotal).
#define WM_MOVE_PROGRESS (WM_USER + 501)

class ICollectionOwner;
class ICollectionPicker;

// Handed to both thread procedures; a member of the main dialog.
class CWorkerContext {
public:
    CWorkerContext();
    virtual ~CWorkerContext();

    ICollectionOwner* m_pOwner;   // filled when the dialog initialises
    HWND m_hOwnerWnd;             // the dialog's window, wParam of WM_WORK_DONE
    ICollectionPicker* m_pPicker; // the confirmed picker of the current Add; null before one
};

// No worker runs (true at start). Cleared by Add and Execute before they start one and by Exclude
// and Exclude all for their duration; set by the thread procedures at their end.
extern std::atomic<BOOL> g_bWorkerIdle;
// The collection's scans are under way (the timer shows the entry count while it is set).
extern std::atomic<BOOL> g_bCollecting;
// The user asked a running worker to stop; polled by the scans and the move pass.
extern std::atomic<BOOL> g_bAbort;
// The window is being destroyed while a worker runs; never cleared.
extern std::atomic<BOOL> g_bClosing;
// The move pass's total and the index it has reached.
extern std::atomic<DWORD> g_dwMoveTotal;
extern std::atomic<DWORD> g_dwMoveDone;
// The picker folder of the current Add, the root of every entry it collects. Written by the window
// thread only while no worker runs.
extern CString g_strPickRoot;

// Puts every value back to its start-up state (tests).
void ResetRunState();
