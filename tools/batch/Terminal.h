// What tessaly-batch says: the program's CP932 texts converted to UTF-8 on standard output, and a
// progress line on standard error when that is a terminal.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "platform/framework/core/CString.h"

// A CP932 text as UTF-8 (names keep their original characters).
std::string ToUtf8(LPCSTR pcAnsi);
// A Windows path as the POSIX path it names (UTF-8); the Windows form when no drive maps it.
std::string ShowPath(LPCSTR pcAnsiPath);
// Writes a line (a "\n" is added unless the text ends in one) to standard output.
void PrintLine(const std::string& strUtf8);
void PrintAnsiLine(LPCSTR pcAnsi);
void PrintError(const std::string& strUtf8);

// Redraws one status line on standard error while it lives, every 100 ms, from a callback's text.
// Does nothing unless standard error is a terminal.
class CProgressLine {
public:
    template <class F> explicit CProgressLine(F text) : m_text(std::move(text)) { Start(); }
    ~CProgressLine();
    CProgressLine(const CProgressLine&) = delete;
    CProgressLine& operator=(const CProgressLine&) = delete;

private:
    void Start();
    std::function<std::string()> m_text;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};
