// Each writer opens, appends and closes under one process-wide lock, so that entries of threads
// writing at once neither collide on opening nor interleave.
#include "support/TraceLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <string_view>

#include "platform/framework/core/MessageBox.h"
#include "platform/win32/Win32.h"
#include "support/AnsiText.h"

CString g_strTracePath;

namespace {

constexpr std::size_t kcbFormatBuffer = 0x100000;

// The user has been told that the log cannot be opened, and it has not opened since.
std::atomic<bool> g_bFailureShown{false};

std::mutex& TraceLock() {
    static auto* pMutex = new std::mutex; // never destroyed: detached workers may trace at exit
    return *pMutex;
}

// The whole file from its start.
std::string ReadWhole(HANDLE hFile) {
    std::string strBytes;
    SetFilePointer(hFile, 0, nullptr, FILE_BEGIN);
    char acPiece[0x10000];
    DWORD cbRead = 0;
    while (ReadFile(hFile, acPiece, sizeof acPiece, &cbRead, nullptr) && cbRead > 0) {
        strBytes.append(acPiece, cbRead);
    }
    return strBytes;
}

// Appends the entry in one write, without line-end translation; false when the log cannot be
// opened. The log is CP932 until an entry holds a character outside CP932: then, so that the
// user can read the name, the whole log is written again once as UTF-8 with a byte-order mark,
// and later entries follow in UTF-8. The caller holds the lock.
bool AppendLocked(std::string_view strEntry) {
    HANDLE hFile = CreateFileA(g_strTracePath, GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        return false;
    }
    char acHead[kUtf8Bom.size()] = {};
    DWORD cbHead = 0;
    const bool bUtf8 = ReadFile(hFile, acHead, sizeof acHead, &cbHead, nullptr) &&
                       std::string_view(acHead, cbHead) == kUtf8Bom;
    std::string strBytes;
    DWORD dwFrom = FILE_END;
    if (bUtf8) {
        strBytes = tessaly::win32::AnsiToUtf8(strEntry);
    } else if (HoldsCodesOutsideCp932(strEntry)) {
        strBytes = BytesForReader(ReadWhole(hFile).append(strEntry));
        dwFrom = FILE_BEGIN;
    } else {
        strBytes = strEntry;
    }
    SetFilePointer(hFile, 0, nullptr, dwFrom);
    DWORD cbWritten = 0;
    WriteFile(hFile, strBytes.data(), static_cast<DWORD>(strBytes.size()), &cbWritten, nullptr);
    CloseHandle(hFile);
    return true;
}

} // namespace

void WriteTraceText(const CString& strText) {
    {
        // Text mode, as the C runtime's "at" writes: every "\n" as CR LF.
        std::string strEntry;
        for (const char c : strText.Str()) {
            strEntry += c == '\n' ? std::string_view("\r\n") : std::string_view(&c, 1);
        }
        std::lock_guard lock(TraceLock());
        if (AppendLocked(strEntry)) {
            g_bFailureShown = false;
            return;
        }
    }
    // Once until the log works again: a folder that cannot be written (an installed program)
    // would otherwise ask for a box at every entry. Unlocked: a worker's box is shown by the
    // window thread, which may trace meanwhile.
    if (!g_bFailureShown.exchange(true)) {
        AfxMessageBox(AnsiFromUtf8("トレース用ファイルが開けません"));
    }
}

int WriteTraceFormat(LPCSTR pcFormat, ...) {
    if (pcFormat == nullptr) {
        return 0;
    }
    char* pcBuffer = new (std::nothrow) char[kcbFormatBuffer]();
    if (pcBuffer == nullptr) {
        return 0;
    }
    va_list args;
    va_start(args, pcFormat);
    // Bounded: a long path cuts the entry instead of overrunning the buffer.
    const int iLen = tessaly::win32::FormatBounded(pcBuffer, kcbFormatBuffer, pcFormat, args);
    va_end(args);
    if (iLen > 0) {
        std::lock_guard lock(TraceLock());
        AppendLocked(std::string_view(pcBuffer, static_cast<std::size_t>(iLen)));
    }
    delete[] pcBuffer;
    return iLen;
}

void AppendTraceText(LPCSTR pcStr, BOOL bLineFeed) {
    if (pcStr == nullptr || pcStr[0] == '\0') {
        return;
    }
    std::string strEntry(pcStr);
    if (bLineFeed) {
        strEntry += '\n';
    }
    std::lock_guard lock(TraceLock());
    AppendLocked(strEntry);
}

BOOL WriteLastErrorText(DWORD dwErrorCode) {
    LPSTR pcMessage = nullptr;
    const DWORD dwLen = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, dwErrorCode,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&pcMessage), 0, nullptr);
    CString strText;
    if (dwLen != 0 && pcMessage != nullptr) {
        strText = pcMessage;
    } else {
        // No system text: the code alone still names the error.
        strText.Format("ErrorCode[%u]", dwErrorCode);
    }
    strText += "\n";
    WriteTraceText(strText);
    if (pcMessage != nullptr) {
        LocalFree(pcMessage);
    }
    return TRUE;
}

BOOL EmptyTraceLog() {
    std::lock_guard lock(TraceLock());
    std::FILE* pFile = tessaly::win32::OpenCrtFile(g_strTracePath, "wt");
    if (pFile == nullptr) {
        return FALSE;
    }
    g_bFailureShown = false;
    return std::fclose(pFile) == 0 ? TRUE : FALSE;
}

void SetTracePath(const CString& strPath) {
    std::lock_guard lock(TraceLock());
    g_strTracePath = strPath;
}
