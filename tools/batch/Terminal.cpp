#include "tools/batch/Terminal.h"

#include <chrono>
#include <cstdio>

#include "platform/win32/Win32.h"

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
        std::fputs("\r\033[K", stderr);
    }
}

void RedrawProgressLocked() {
    if (g_pShowing != nullptr) {
        g_pShowing->DrawLocked();
    }
}

} // namespace

std::string ToUtf8(LPCSTR pcAnsi) {
    return tessaly::win32::AnsiToUtf8(pcAnsi ? pcAnsi : "");
}

std::string ShowPath(LPCSTR pcAnsiPath) {
    if (auto posix = tessaly::win32::WindowsToPosixPath(pcAnsiPath ? pcAnsiPath : "")) {
        return std::move(*posix);
    }
    return ToUtf8(pcAnsiPath);
}

bool IsOutputClosed() {
    return g_bOutputClosed.load();
}

void SetOutputClosedHandler(void (*pHandler)()) {
    g_pOnOutputClosed = pHandler;
}

void PrintLine(const std::string& strUtf8) {
    bool bJustClosed = false;
    {
        std::lock_guard lock(TerminalLock());
        if (g_bOutputClosed.load()) {
            return;
        }
        ClearProgressLocked();
        bool bOk = std::fputs(strUtf8.c_str(), stdout) >= 0;
        if (bOk && (strUtf8.empty() || strUtf8.back() != '\n')) {
            bOk = std::fputc('\n', stdout) != EOF;
        }
        bOk = std::fflush(stdout) == 0 && bOk;
        if (!bOk) {
            g_bOutputClosed.store(true);
            bJustClosed = true;
        }
        RedrawProgressLocked();
    }
    if (bJustClosed && g_pOnOutputClosed != nullptr) {
        g_pOnOutputClosed();
    }
}

void PrintAnsiLine(LPCSTR pcAnsi) {
    PrintLine(ToUtf8(pcAnsi));
}

void PrintError(const std::string& strUtf8) {
    std::lock_guard lock(TerminalLock());
    ClearProgressLocked();
    std::fprintf(stderr, "tessaly-batch: %s\n", strUtf8.c_str());
    std::fflush(stderr);
    RedrawProgressLocked();
}

void CProgressLine::DrawLocked() {
    std::fprintf(stderr, "\r\033[K%s", m_text().c_str());
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
        std::fputc('\n', stderr);
    } else {
        std::fputs("\r\033[K", stderr);
    }
    std::fflush(stderr);
}
