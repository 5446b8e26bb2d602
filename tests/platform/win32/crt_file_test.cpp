#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/win32/Win32.h"
#include "tests/common/Platform.h"
#include "tests/platform/win32/FileTestFolder.h"

using tessaly::win32::OpenCrtFile;

class CrtFile : public FileTestFolder {};

TEST_F(CrtFile, TextModeWritesCrLfAndBinaryModeDoesNot) {
    const struct {
        const char* pszMode;
        const char* pszBefore; // null: no file before
        std::string strAfter;
    } rows[] = {
        {"wt", "old", "a\r\n\r\nb\r\r\n"},  {"w", nullptr, "a\r\n\r\nb\r\r\n"},
        {"wb", "old", "a\n\nb\r\n"},        {"at", "x\r\n", "x\r\na\r\n\r\nb\r\r\n"},
        {"a", nullptr, "a\r\n\r\nb\r\r\n"}, {"ab", "x", "xa\n\nb\r\n"},
        {"w+t", "old", "a\r\n\r\nb\r\r\n"},
    };
    int i = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << i++ << " " << row.pszMode);
        std::remove(Posix("Log.txt").c_str());
        std::remove(Posix("log.TXT").c_str());
        if (row.pszBefore != nullptr) {
            WriteBytes(Posix("Log.txt"), row.pszBefore);
        }
        // An existing file keeps its name's case; a new one takes the case given.
        const std::string strName = row.pszBefore != nullptr ? "Log.txt" : "log.TXT";
        std::FILE* pFile = OpenCrtFile("T:\\log.TXT", row.pszMode);
        ASSERT_NE(pFile, nullptr);
        EXPECT_EQ(std::fwrite("a\n\nb\r\n", 1, 6, pFile), 6u);
        EXPECT_EQ(std::fclose(pFile), 0);
        EXPECT_EQ(ReadBytes(Posix(strName)), row.strAfter);
        EXPECT_EQ(Names(), std::set<std::string>{strName});
    }
}

TEST_F(CrtFile, TextModeReadsCrLfAsLineFeed) {
    // CR LF pairs at every offset, lone CRs, and a CR as the last byte.
    const std::string strRaw = "l1\r\nl2\rx\r\n\r\n\r\r\nend\r";
    const struct {
        const char* pszMode;
        int iBuffering;
        std::string strRead;
    } rows[] = {
        {"r", _IOFBF, "l1\nl2\rx\n\n\r\nend\r"},
        {"rt", _IONBF, "l1\nl2\rx\n\n\r\nend\r"}, // one byte per read: every CR looks ahead
        {"rb", _IOFBF, strRaw},
    };
    WriteBytes(Posix("in.txt"), strRaw);
    int i = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << i++);
        std::FILE* pFile = OpenCrtFile("T:\\IN.txt", row.pszMode);
        ASSERT_NE(pFile, nullptr);
        ASSERT_EQ(std::setvbuf(pFile, nullptr, row.iBuffering, BUFSIZ), 0);
        std::string strRead;
        for (int c; (c = std::fgetc(pFile)) != EOF;) {
            strRead += static_cast<char>(c);
        }
        EXPECT_EQ(strRead, row.strRead);
        EXPECT_FALSE(std::ferror(pFile));
        std::fclose(pFile);
    }
}

TEST_F(CrtFile, AWriteAfterReadingALoneCrLandsAfterIt) {
    WriteBytes(Posix("mix.txt"), "ab\rcd");
    std::FILE* pFile = OpenCrtFile("T:\\mix.txt", "r+");
    ASSERT_NE(pFile, nullptr);
    std::setvbuf(pFile, nullptr, _IONBF, 0);
    EXPECT_EQ(std::fgetc(pFile), 'a');
    EXPECT_EQ(std::fgetc(pFile), 'b');
    EXPECT_EQ(std::fgetc(pFile), '\r'); // 'c' was read to tell
    ASSERT_EQ(std::fseek(pFile, 0, SEEK_CUR), 0);
    EXPECT_EQ(std::fputc('X', pFile), 'X');
    std::fclose(pFile);
    EXPECT_EQ(ReadBytes(Posix("mix.txt")), "ab\rXd");
}

TEST_F(CrtFile, AppendingStreamsKeepEachOthersLines) {
    std::FILE* pFirst = OpenCrtFile("T:\\trace.txt", "at");
    std::FILE* pSecond = OpenCrtFile("T:\\trace.txt", "at");
    ASSERT_NE(pFirst, nullptr);
    ASSERT_NE(pSecond, nullptr);
    std::fputs("1\n", pFirst);
    std::fflush(pFirst);
    std::fputs("2\n", pSecond);
    std::fflush(pSecond);
    std::fputs("3\n", pFirst);
    EXPECT_EQ(std::fclose(pFirst), 0);
    EXPECT_EQ(std::fclose(pSecond), 0);
    EXPECT_EQ(ReadBytes(Posix("trace.txt")), "1\r\n2\r\n3\r\n");
}

TEST_F(CrtFile, FailuresGiveNullWithErrnoAndLastError) {
    std::filesystem::create_directory(Posix("folder"));
    const struct {
        const char* pszPath;
        const char* pszMode;
        int iErrno;
    } rows[] = {
        {"Q:\\unmapped.txt", "wt", ENOENT}, {"T:\\missing.txt", "r", ENOENT},
        {"T:\\no\\file.txt", "w", ENOENT},  {"T:\\folder", "r", EACCES},
        {"T:\\x.txt", "wtb", EINVAL},       {"T:\\x.txt", "q", EINVAL},
    };
    int i = 0;
    for (const auto& row : rows) {
        if (std::string_view(row.pszMode) == "wtb" && tessaly::test::UnderWine()) {
            ++i; // Wine's msvcrt takes 't' and 'b' together, Windows' C runtime refuses them
            continue;
        }
        errno = 0;
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(OpenCrtFile(row.pszPath, row.pszMode), nullptr) << "row " << i;
        EXPECT_EQ(errno, row.iErrno) << "row " << i;
        EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "row " << i;
        ++i;
    }
    EXPECT_EQ(Names(), std::set<std::string>{"folder"});
}

TEST_F(CrtFile, AFailedWriteIsReportedByClose) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
    tessaly::win32::FailSysCall(tessaly::win32::SysCall::Write, ENOSPC);
    std::FILE* pFile = OpenCrtFile("T:\\full.txt", "wt");
    ASSERT_NE(pFile, nullptr);
    std::fputs("line\n", pFile);
    EXPECT_EQ(std::fclose(pFile), EOF);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
}
