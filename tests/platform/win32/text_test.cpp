#include <gtest/gtest.h>

#include <cstdarg>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/Win32.h"

namespace {
std::string Bounded(std::size_t cbSize, const char* pszFmt, ...) {
    std::vector<char> buf(cbSize + 8, 'Z');
    va_list args;
    va_start(args, pszFmt);
    const int iLen = tessaly::win32::FormatBounded(buf.data(), cbSize, pszFmt, args);
    va_end(args);
    EXPECT_EQ(buf[cbSize], 'Z') << "wrote past the buffer";
    return std::string(buf.data(), static_cast<std::size_t>(iLen));
}
} // namespace

TEST(Wsprintf, FormatsWindowsConversions) {
    char buf[1024];
    EXPECT_EQ(wsprintfA(buf, "%I64u", 18446744073709551615ULL), 20);
    EXPECT_STREQ(buf, "18446744073709551615");
    EXPECT_EQ(wsprintfA(buf, "%I64d", -9223372036854775807LL), 20);
    EXPECT_STREQ(buf, "-9223372036854775807");
    wsprintfA(buf, "%08X", 0x12abcdu);
    EXPECT_STREQ(buf, "0012ABCD");
    wsprintfA(buf, "[%4d][%-4d][%04d]", -5, -5, -5);
    EXPECT_STREQ(buf, "[  -5][-5  ][-005]");
    wsprintfA(buf, "%u %d", 0xFFFFFFFFu, -1);
    EXPECT_STREQ(buf, "4294967295 -1");
    wsprintfA(buf, "a%sb 100%% %c", static_cast<const char*>(nullptr), 'x');
    EXPECT_STREQ(buf, "a(null)b 100% x");
    wsprintfA(buf, "%.3s|%5s", "abcdef", "ab");
    EXPECT_STREQ(buf, "abc|   ab");
}

TEST(Wsprintf, NeverWritesMoreThan1024BytesWithTerminator) {
    std::vector<char> buf(4096, 'Z');
    const std::string strLong(3000, 'p');
    const int iLen = wsprintfA(buf.data(), "%s", strLong.c_str());
    EXPECT_EQ(iLen, 1023);
    EXPECT_EQ(buf[1023], '\0');
    EXPECT_EQ(buf[1024], 'Z');
}

TEST(FormatBounded, CutsAtTheBufferSize) {
    EXPECT_EQ(Bounded(6, "%s-%u", "abc", 12345u), "abc-1");
    EXPECT_EQ(Bounded(1, "%s", "abc"), "");
    EXPECT_EQ(Bounded(64, "%I64u:%s", 5ULL, "x"), "5:x");
    const std::string strLong(5000, 'q');
    EXPECT_EQ(Bounded(4096, "%s", strLong.c_str()).size(), 4095u);
}

TEST(CriticalSection, IsRecursiveAndExcludesOtherThreads) {
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EnterCriticalSection(&cs); // the owner may enter again
    BOOL bOtherGotIt = TRUE;
    std::thread([&] { bOtherGotIt = TryEnterCriticalSection(&cs); }).join();
    EXPECT_FALSE(bOtherGotIt);
    LeaveCriticalSection(&cs);
    LeaveCriticalSection(&cs);
    std::thread([&] {
        bOtherGotIt = TryEnterCriticalSection(&cs);
        if (bOtherGotIt) {
            LeaveCriticalSection(&cs);
        }
    }).join();
    EXPECT_TRUE(bOtherGotIt);
    DeleteCriticalSection(&cs);
}

TEST(ThreadId, DiffersBetweenThreadsAndIsStable) {
    const DWORD dwMine = GetCurrentThreadId();
    DWORD dwOther = 0;
    std::thread([&] { dwOther = GetCurrentThreadId(); }).join();
    EXPECT_NE(dwMine, 0u);
    EXPECT_NE(dwOther, dwMine);
    EXPECT_EQ(GetCurrentThreadId(), dwMine);
}
