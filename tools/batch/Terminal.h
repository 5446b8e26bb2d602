// What tessaly-batch says: the program's CP932 texts converted to UTF-8 on standard output, its own
// diagnostics on standard error, and a progress line on standard error when that is a terminal.
// Every line is written whole: a progress line showing is cleared first and drawn again after.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "app/core/ShownPath.h"
#include "platform/framework/core/CString.h"

// Writes a line (a "\n" is added unless the text ends in one) to standard output: at once to a
// terminal, otherwise in blocks (and with the first line 50 ms after the last block). Once a
// write to standard output has failed (a closed pipe), nothing more is written there.
void PrintLine(const std::string& strUtf8);
// Sends what standard output holds; false when that failed (or had failed before).
bool FlushOutput();
void PrintAnsiLine(LPCSTR pcAnsi);
// "1,234,567".
std::string WithSeparators(ULONGLONG ullValue);
// "tessaly-batch: " and the text, on standard error.
void PrintError(const std::string& strUtf8);
// Whether a write to standard output has failed.
bool IsOutputClosed();
// Called once, on the writing thread, when standard output first fails.
void SetOutputClosedHandler(void (*pHandler)());

// Redraws one status line on standard error while it lives, every 100 ms, from a callback's text.
// Does nothing unless standard error is a terminal. With bKeepLast the last text is drawn once
// more at the end and left on its line; otherwise the line is cleared.
class CProgressLine {
public:
    template <class F>
    explicit CProgressLine(F text, bool bKeepLast = false)
        : m_text(std::move(text)), m_bKeepLast(bKeepLast) {
        Start();
    }
    ~CProgressLine();
    CProgressLine(const CProgressLine&) = delete;
    CProgressLine& operator=(const CProgressLine&) = delete;

    // The current text, drawn again after a line was written (under the terminal's lock).
    void DrawLocked();

private:
    void Start();
    std::function<std::string()> m_text;
    bool m_bKeepLast;
    bool m_bStop = false; // under the terminal's lock
    std::condition_variable m_wake;
    std::thread m_thread;
};
