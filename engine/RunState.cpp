#include "engine/RunState.h"

std::atomic<BOOL> g_bWorkerIdle{TRUE};
std::atomic<BOOL> g_bCollecting{FALSE};
std::atomic<BOOL> g_bAbort{FALSE};
std::atomic<BOOL> g_bClosing{FALSE};
std::atomic<DWORD> g_dwMoveTotal{0};
std::atomic<DWORD> g_dwMoveDone{0};
CString g_strPickRoot;

CWorkerContext::CWorkerContext() : m_pOwner(nullptr), m_hOwnerWnd(nullptr), m_pPicker(nullptr) {}

CWorkerContext::~CWorkerContext() = default;

void ResetRunState() {
    g_bWorkerIdle = TRUE;
    g_bCollecting = FALSE;
    g_bAbort = FALSE;
    g_bClosing = FALSE;
    g_dwMoveTotal = 0;
    g_dwMoveDone = 0;
    g_strPickRoot.Empty();
}
