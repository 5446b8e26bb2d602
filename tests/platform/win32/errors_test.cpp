#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/win32/Win32.h"

TEST(LastError, IsPerThread) {
    // Read while the other thread still runs: making and joining a thread are calls of the
    // system, which may set this thread's error on Windows.
    std::atomic<int> iStep{0};
    DWORD dwOther = 0;
    std::thread other([&] {
        SetLastError(ERROR_DISK_FULL);
        iStep = 1;
        while (iStep != 2) {
        }
        dwOther = GetLastError();
    });
    while (iStep != 1) {
    }
    SetLastError(ERROR_ACCESS_DENIED);
    iStep = 2;
    const DWORD dwMine = GetLastError();
    other.join();
    EXPECT_EQ(dwOther, static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(dwMine, static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(LastError, ErrnoMapsToWindowsCodes) {
    const struct {
        int iErrno;
        DWORD dwCode;
    } rows[] = {{ENOENT, ERROR_FILE_NOT_FOUND}, {ENOTDIR, ERROR_PATH_NOT_FOUND},
                {EACCES, ERROR_ACCESS_DENIED},  {EEXIST, ERROR_ALREADY_EXISTS},
                {ENOSPC, ERROR_DISK_FULL},      {EXDEV, ERROR_NOT_SAME_DEVICE},
                {EIO, ERROR_GEN_FAILURE}};
    for (const auto& row : rows) {
        EXPECT_EQ(tessaly::win32::ErrorFromErrno(row.iErrno), row.dwCode) << "errno " << row.iErrno;
    }
}

TEST(FormatMessage, AllocatesJapaneseTextEndingInCrLf) {
    char* pcText = nullptr;
    const DWORD dwLen =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
                       ERROR_FILE_NOT_FOUND, 0x400, reinterpret_cast<LPSTR>(&pcText), 0, nullptr);
    ASSERT_NE(pcText, nullptr);
    ASSERT_GT(dwLen, 2u);
    EXPECT_EQ(std::strlen(pcText), dwLen);
    EXPECT_EQ(std::string(pcText + dwLen - 2), "\r\n");
    EXPECT_EQ(tessaly::win32::AnsiToUtf8(std::string(pcText, dwLen - 2)),
              "指定されたファイルが見つかりません。");
    LocalFree(pcText);
}

TEST(FormatMessage, UnknownCodeNamesTheCodeAndShortBufferFails) {
    char acBuf[256];
    const DWORD dwLen =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 98765, 0, acBuf, sizeof acBuf, nullptr);
    ASSERT_GT(dwLen, 0u);
    EXPECT_NE(tessaly::win32::AnsiToUtf8(acBuf).find("98765"), std::string::npos);
    char acSmall[4];
    EXPECT_EQ(
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 2, 0, acSmall, sizeof acSmall, nullptr),
        0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}
