#include "tools/batch/Terminal.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string_view>

#include "platform/win32/Win32.h"
#include "support/PathHelpers.h"
#include "support/SJisConv.h"

namespace {

// One lock for both streams, so a line and the progress line never interleave.
std::mutex& TerminalLock() {
    static std::mutex s_mutex;
    return s_mutex;
}

CProgressLine* g_pShowing = nullptr; // under the lock
std::atomic<bool> g_bOutputClosed{false};
void (*g_pOnOutputClosed)() = nullptr;

void ClearProgressLocked() {
    if (g_pShowing != nullptr) {
        tessaly::win32::WriteStdStream(STD_ERROR_HANDLE, "\r\033[K");
    }
}

void RedrawProgressLocked() {
    if (g_pShowing != nullptr) {
        g_pShowing->DrawLocked();
    }
}

} // namespace

bool IsOutputClosed() {
    return g_bOutputClosed.load();
}

void SetOutputClosedHandler(void (*pHandler)()) {
    g_pOnOutputClosed = pHandler;
}

namespace {

// Through a pipe or into a file, lines go out in stdio's blocks (one write for dozens of lines),
// and with the first line 50 ms or more after the last block, so a reader keeps up; to a
// terminal, each line at once. Called under the lock: false when a write to standard output
// failed.
bool WriteOutLocked(const std::string& strUtf8) {
    static const bool s_bTerminal = tessaly::win32::IsConsoleStream(STD_OUTPUT_HANDLE);
    static std::chrono::steady_clock::time_point s_lastFlush = std::chrono::steady_clock::now();
    bool bOk = tessaly::win32::WriteStdStream(STD_OUTPUT_HANDLE, strUtf8);
    if (bOk && (strUtf8.empty() || strUtf8.back() != '\n')) {
        bOk = tessaly::win32::WriteStdStream(STD_OUTPUT_HANDLE, "\n");
    }
    const auto now = std::chrono::steady_clock::now();
    if (s_bTerminal || now - s_lastFlush >= std::chrono::milliseconds(50)) {
        bOk = std::fflush(stdout) == 0 && bOk;
        s_lastFlush = now;
    }
    return bOk;
}

// Outside the lock: the handler may print.
void NoteOutputFailed() {
    if (g_pOnOutputClosed != nullptr) {
        g_pOnOutputClosed();
    }
}

} // namespace

void PrintLine(const std::string& strUtf8) {
    bool bJustClosed = false;
    {
        std::lock_guard lock(TerminalLock());
        if (g_bOutputClosed.load()) {
            return;
        }
        ClearProgressLocked();
        if (!WriteOutLocked(strUtf8)) {
            g_bOutputClosed.store(true);
            bJustClosed = true;
        }
        RedrawProgressLocked();
    }
    if (bJustClosed) {
        NoteOutputFailed();
    }
}

bool FlushOutput() {
    bool bJustClosed = false;
    {
        std::lock_guard lock(TerminalLock());
        if (g_bOutputClosed.load()) {
            return false;
        }
        if (std::fflush(stdout) != 0) {
            g_bOutputClosed.store(true);
            bJustClosed = true;
        }
    }
    if (bJustClosed) {
        NoteOutputFailed();
    }
    return !bJustClosed;
}

void PrintAnsiLine(LPCSTR pcAnsi) {
    PrintLine(ToUtf8(pcAnsi));
}

void PrintError(const std::string& strUtf8) {
    FlushOutput(); // what was said before stays before, when both streams go to one file
    std::lock_guard lock(TerminalLock());
    ClearProgressLocked();
    tessaly::win32::WriteStdStream(STD_ERROR_HANDLE, "tessaly-batch: " + strUtf8 + "\n");
    std::fflush(stderr);
    RedrawProgressLocked();
}

void CProgressLine::DrawLocked() {
    tessaly::win32::WriteStdStream(STD_ERROR_HANDLE, "\r\033[K" + m_text());
    std::fflush(stderr);
}

void CProgressLine::Start() {
    if (!tessaly::win32::IsConsoleStream(STD_ERROR_HANDLE)) {
        return;
    }
    {
        std::lock_guard lock(TerminalLock());
        g_pShowing = this;
    }
    m_thread = std::thread([this] {
        std::unique_lock lock(TerminalLock());
        while (!m_bStop) {
            DrawLocked();
            m_wake.wait_for(lock, std::chrono::milliseconds(100));
        }
    });
}

CProgressLine::~CProgressLine() {
    if (!m_thread.joinable()) {
        return;
    }
    {
        std::lock_guard lock(TerminalLock());
        m_bStop = true;
    }
    m_wake.notify_all();
    m_thread.join();
    std::lock_guard lock(TerminalLock());
    g_pShowing = nullptr;
    if (m_bKeepLast) {
        DrawLocked();
        tessaly::win32::WriteStdStream(STD_ERROR_HANDLE, "\n");
    } else {
        tessaly::win32::WriteStdStream(STD_ERROR_HANDLE, "\r\033[K");
    }
    std::fflush(stderr);
}

std::string WithSeparators(ULONGLONG ullValue) {
    char acText[64];
    std::snprintf(acText, sizeof acText, "%llu", static_cast<unsigned long long>(ullValue));
    InsertThousandsSeparators(acText, sizeof acText);
    return acText;
}
