#include "tools/batch/Terminal.h"

#include <chrono>
#include <cstdio>

#include "platform/win32/Win32.h"

std::string ToUtf8(LPCSTR pcAnsi) {
    return tessaly::win32::AnsiToUtf8(pcAnsi ? pcAnsi : "");
}

std::string ShowPath(LPCSTR pcAnsiPath) {
    if (auto posix = tessaly::win32::WindowsToPosixPath(pcAnsiPath ? pcAnsiPath : "")) {
        return *posix;
    }
    return ToUtf8(pcAnsiPath);
}

void PrintLine(const std::string& strUtf8) {
    std::fputs(strUtf8.c_str(), stdout);
    if (strUtf8.empty() || strUtf8.back() != '\n') {
        std::fputc('\n', stdout);
    }
    std::fflush(stdout);
}

void PrintAnsiLine(LPCSTR pcAnsi) {
    PrintLine(ToUtf8(pcAnsi));
}

void PrintError(const std::string& strUtf8) {
    std::fprintf(stderr, "tessaly-batch: %s\n", strUtf8.c_str());
}

void CProgressLine::Start() {
    if (!tessaly::win32::IsConsoleStream(STD_ERROR_HANDLE)) {
        return;
    }
    m_thread = std::thread([this] {
        while (!m_bStop.load()) {
            std::fprintf(stderr, "\r\033[K%s", m_text().c_str());
            std::fflush(stderr);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    });
}

CProgressLine::~CProgressLine() {
    m_bStop.store(true);
    if (m_thread.joinable()) {
        m_thread.join();
    }
}
